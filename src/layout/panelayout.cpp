#include "layout/panelayout.h"

#include <QtGlobal>

namespace folio {

PaneGeometry computePaneLayout(const PaneInputs &in)
{
    PaneGeometry g;
    const int width = qMax(0, in.area.width());
    const int height = qMax(0, in.area.height());
    const int treeWidth = qBound(0, in.treeWidth, qMax(0, width - in.verticalBar));
    g.tree = QRect(0, 0, treeWidth, height);
    g.verticalBar = QRect(treeWidth, 0, in.verticalBar, height);

    const int right = treeWidth + in.verticalBar;
    const int rightWidth = qMax(0, width - right);
    if (in.editMode) {
        g.frame = QRect(right, 0, rightWidth, height);
        return g;
    }
    const int listHeight = qBound(0, in.listHeight, qMax(0, height - in.horizontalBar));
    g.list = QRect(right, 0, rightWidth, listHeight);
    g.horizontalBar = QRect(right, listHeight, rightWidth, in.horizontalBar);
    const int frameTop = listHeight + in.horizontalBar;
    g.frame = QRect(right, frameTop, rightWidth, qMax(0, height - frameTop));
    return g;
}

} // namespace folio
