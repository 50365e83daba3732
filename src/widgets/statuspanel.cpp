#include "widgets/statuspanel.h"

#include "widgets/displaytext.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>

namespace folio {

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

void StatusPanel::setDbStatus(DbStatus state)
{
    static const int pictures[3] = {2, 1, 3};
    const int picture = pictures[int(state)];
    m_state = state;
    m_picture->setPixmap(statusPicture(picture));
    m_picture->setProperty("pictureIndex", picture);
    m_panels[0]->setText(state == DbStatus::Idle ? QStringLiteral("IDLE") : QStringLiteral("BUSY"));
}

void StatusPanel::enterBusy(DbStatus shown)
{
    if (m_busyDepth++ == 0 || shown != DbStatus::Busy)
        setDbStatus(shown);
}

void StatusPanel::leaveBusy()
{
    if (m_busyDepth > 0 && --m_busyDepth == 0)
        setDbStatus(DbStatus::Idle);
}

void StatusPanel::setPanel(int number, const QString &text, const QString &toolTip)
{
    if (QLabel *label = panel(number)) {
        label->setText(text);
        label->setToolTip(toolTip);
    }
}

void StatusPanel::showCurrentFolder(const QString &path)
{
    if (path.isEmpty())
        setPanel(3, QStringLiteral("NULL"), QStringLiteral("None Folder Selected"));
    else
        setPanel(3, path, QStringLiteral("Current Folder:") + path);
}

void StatusPanel::showCurrentDocument(qint64 num, const QString &title)
{
    if (num == 0 && title.isEmpty()) {
        setPanel(4, QString(), QString());
        return;
    }
    const QString shown = displayTitle(title);
    setPanel(4, shown, QStringLiteral("Current Document:") + documentNumberText(num) + QStringLiteral("  ") + shown);
}

QLabel *StatusPanel::panel(int number) const
{
    return number >= 1 && number <= 4 ? m_panels[number - 1] : nullptr;
}

} // namespace folio
