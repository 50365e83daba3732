#pragma once

#include <QRect>
#include <QSize>

namespace folio {

// What the pane geometry depends on. All sizes in pixels, relative to the
// area below the upper cool bar and above the status bar.
struct PaneInputs
{
    QSize area;                // the space for the panes
    int treeWidth = 0;         // free size: the folder pane's width
    int listHeight = 0;        // free size: the document list's height
    bool editMode = false;     // edit mode gives the document pane the whole right side
    int verticalBar = 13;      // thickness of the bar right of the tree
    int horizontalBar = 15;    // thickness of the bar under the list
};

struct PaneGeometry
{
    QRect tree;
    QRect verticalBar;
    QRect list;                // empty in edit mode
    QRect horizontalBar;       // empty in edit mode
    QRect frame;               // the document pane
};

// Places the panes: the tree on the left at full height with a bar to its
// right; in browse mode the list on top right, a bar under it and the
// document pane below; in edit mode the document pane takes the right side.
// Free sizes are kept within the area so no pane gets a negative size.
PaneGeometry computePaneLayout(const PaneInputs &in);

} // namespace folio
