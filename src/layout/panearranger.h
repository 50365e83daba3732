#pragma once

#include "layout/panelayout.h"

#include <QObject>

namespace folio {

class AppState;
class SplitterBar;

// The widgets the arrangement places. The panes are plain widgets here:
// the layout knows where they go, not what they are.
struct PaneWidgets
{
    QWidget *coolBar = nullptr;   // the upper cool bar, across the top
    QWidget *band1 = nullptr;     // its first band, which stands over the tree
    QWidget *tree = nullptr;
    QWidget *list = nullptr;
    QWidget *frame = nullptr;     // the document pane
};

// Arranges the panes of the main window's central area: owns the two
// splitter bars and their sizing keys, keeps the free sizes in twips and
// places every pane in pixels after each change of size, mode, drag or key.
class PaneArranger : public QObject
{
    Q_OBJECT
public:
    PaneArranger(AppState &state, QWidget *area, const PaneWidgets &panes);

    // The first arrangement; from then on every size change lays out.
    void initPaneLayout();
    // The arrangement the window starts with, once the tree is filled.
    void arrangeAtLoad();
    // Lays out everything from the free sizes and the mode.
    void formResize();
    void applySizingKey(SizingKey key);

    const PaneRects &rects() const { return m_rects; }
    WindowMetrics metrics() const;
    int logicalDpi() const;
    bool splitterDragging() const { return m_splitterDragging; }
    SplitterBar *verticalBar() const { return m_verticalBar; }
    SplitterBar *horizontalBar() const { return m_horizontalBar; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeCoolBar();
    void apply();
    void dragBy(SplitterBar *bar, QPoint offset);

    AppState &m_state;
    QWidget *m_area;
    PaneWidgets m_panes;
    SplitterBar *m_verticalBar;     // imgHspliter, right of the tree
    SplitterBar *m_horizontalBar;   // imgVspliter, under the list
    PaneRects m_rects;
    bool m_active = false;
    bool m_splitterDragging = false;
};

} // namespace folio
