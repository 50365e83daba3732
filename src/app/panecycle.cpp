#include "app/panecycle.h"

#include <QApplication>
#include <QShortcut>

namespace folio {

PaneCycle::PaneCycle(QWidget *window, const QList<QWidget *> &panes)
    : QObject(window)
{
    for (QWidget *pane : panes)
        m_panes.append(pane);
    auto *next = new QShortcut(QKeySequence(Qt::Key_F6), window);
    auto *previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), window);
    next->setObjectName(QStringLiteral("keyNextPane"));
    previous->setObjectName(QStringLiteral("keyPreviousPane"));
    connect(next, &QShortcut::activated, this, [this] { step(true); });
    connect(previous, &QShortcut::activated, this, [this] { step(false); });
}

int PaneCycle::currentIndex() const
{
    const QWidget *focused = QApplication::focusWidget();
    for (int i = 0; i < m_panes.size(); ++i)
        if (m_panes[i] && focused && (focused == m_panes[i] || m_panes[i]->isAncestorOf(focused)))
            return i;
    return -1;
}

QWidget *PaneCycle::step(bool forward)
{
    const int count = int(m_panes.size());
    int index = currentIndex();
    if (index < 0)
        index = forward ? -1 : count;
    for (int tried = 0; tried < count; ++tried) {
        index = (index + (forward ? 1 : -1) + count) % count;
        QWidget *pane = m_panes[index];
        if (pane && pane->isVisible() && pane->isEnabled() && pane->focusPolicy() != Qt::NoFocus) {
            pane->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return pane;
        }
    }
    return nullptr;
}

} // namespace folio
