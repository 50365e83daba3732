#pragma once

#include "layout/panelayout.h"

#include <QWidget>

class QToolBar;

namespace folio {

// A splitter bar: a plain strip between two panes that the user drags, with
// a small toolbar of three sizing keys at its start. The bar right of the
// tree runs top to bottom and is dragged sideways; the bar under the list
// runs across and is dragged up and down. The bar reports presses, moves
// (the pointer's offset from the bar, in pixels) and releases; the layout
// decides what they mean.
class SplitterBar : public QWidget
{
    Q_OBJECT
public:
    // `keys` are placed on a toolbar named `toolBarName`, each as a QAction
    // named by its key.
    SplitterBar(Qt::Orientation orientation, const QString &name, const QString &toolBarName,
                const QList<SizingKey> &keys, QWidget *parent);

    Qt::Orientation orientation() const { return m_orientation; }
    QToolBar *toolBar() const { return m_toolBar; }
    // The bar's thickness in pixels; the keys are squares of that size.
    void setThickness(int pixels);
    int thickness() const { return m_thickness; }
    // The pointer shape over the bar: a sizing arrow across the bar.
    Qt::CursorShape sizingCursor() const;

Q_SIGNALS:
    void pressed();
    void moved(QPoint offset);
    void released();
    void keyTriggered(folio::SizingKey key);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::Orientation m_orientation;
    QToolBar *m_toolBar;
    int m_thickness = 0;
};

// The tool tip of each sizing key.
QString sizingKeyToolTip(SizingKey key);

} // namespace folio
