#include "app/statuspanel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>

namespace folio {

namespace {

// The three status pictures: 1 busy (red), 2 idle (green), 3 busy while a
// document is put into the editor (amber).
QPixmap statusPicture(int index)
{
    static const QColor colors[] = {QColor(200, 40, 40), QColor(40, 160, 60), QColor(230, 160, 20)};
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colors[qBound(1, index, 3) - 1]);
    p.setPen(Qt::darkGray);
    p.drawEllipse(1, 1, 10, 10);
    return pixmap;
}

} // namespace

StatusPanel::StatusPanel(QWidget *parent)
    : QStatusBar(parent)
    , m_picture(new QLabel(this))
{
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(true);
    m_picture->setObjectName(QStringLiteral("Panel1Picture"));
    addWidget(m_picture);
    static const int stretch[4] = {0, 0, 2, 3};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_panels[i]->setMinimumWidth(i == 0 ? 40 : 60);
        m_panels[i]->setTextFormat(Qt::PlainText);
        // A long path or title must not widen the window.
        if (i >= 2)
            m_panels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addWidget(m_panels[i], stretch[i]);
    }
    m_panels[0]->setToolTip(QStringLiteral("Database Status"));
    m_panels[0]->setText(QStringLiteral("IDLE"));
    m_picture->setPixmap(statusPicture(2));
    m_picture->setProperty("pictureIndex", 2);
}

void StatusPanel::setDbStatus(int state)
{
    static const int pictures[3] = {2, 1, 3};
    if (state < 0 || state > 2)
        return;
    m_state = state;
    m_picture->setPixmap(statusPicture(pictures[state]));
    m_picture->setProperty("pictureIndex", pictures[state]);
    m_panels[0]->setText(state == 0 ? QStringLiteral("IDLE") : QStringLiteral("BUSY"));
}

void StatusPanel::setPanel(int number, const QString &text, const QString &toolTip)
{
    if (QLabel *label = panel(number)) {
        label->setText(text);
        label->setToolTip(toolTip);
    }
}

QLabel *StatusPanel::panel(int number) const
{
    return number >= 1 && number <= 4 ? m_panels[number - 1] : nullptr;
}

} // namespace folio
