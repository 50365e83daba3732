#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace folio {

// F6 and Shift+F6: the keyboard focus goes round the window's panes in the
// order they are given (the folder tree, the document list, the title and
// the text), passing over the ones hidden or disabled at the moment.
class PaneCycle : public QObject
{
    Q_OBJECT
public:
    PaneCycle(QWidget *window, const QList<QWidget *> &panes);
    // Moves the focus to the next pane (or the previous one) and returns it.
    QWidget *step(bool forward);

private:
    int currentIndex() const;
    QList<QPointer<QWidget>> m_panes;
};

} // namespace folio
