#pragma once

#include "session/appstate.h"

#include <QRect>
#include <QString>
#include <optional>

namespace folio {

// A control's place in twips, as the window's rules state it.
struct TwipRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const TwipRect &) const = default;
};

// Thickness of the bar right of the tree (its toolbar's width) and of the
// bar under the list (its toolbar's height).
constexpr int VerticalBarThickness = 195;
constexpr int HorizontalBarThickness = 225;

// What the layout reads from the window, in twips: the inner size of the
// area the panes share, the window's outer width, the upper cool bar and
// the status bar.
struct WindowMetrics
{
    int scaleWidth = 0;
    int scaleHeight = 0;
    int outerWidth = 0;
    int coolBarTop = 0;
    int coolBarHeight = 0;
    int statusBarHeight = 0;
    bool minimised = false;
};

// The places of the panes and bars. The tree's width and the list's height
// are the free sizes; everything else follows from them. A rejected
// (negative) size leaves the old value, so each step starts from the last.
struct PaneRects
{
    TwipRect tree;
    TwipRect verticalBar;
    TwipRect list;
    TwipRect horizontalBar;
    TwipRect frame;
    int band1Width = 0;     // band 1 of the upper cool bar stands over the tree
    bool listShown = true;  // the list and the bar under it (hidden in edit mode)

    bool operator==(const PaneRects &) const = default;
};

enum class SizingKey { DirLeft, DirMid, DirRight, DocTop, DocMid, DocBottom };

// The key text of a sizing key ("DirLeft", ...) and back.
QString sizingKeyName(SizingKey key);
std::optional<SizingKey> sizingKeyFromName(const QString &name);

// The first arrangement of the panes, before the window's sizes are final.
PaneRects initPaneLayout(const WindowMetrics &window);
// What the load does after filling the tree: the tree gets 35 % of the
// window's width, the list and the document pane share the right side.
PaneRects arrangeAtLoad(PaneRects rects, const WindowMetrics &window, EditMode mode);
// Places every pane from the free sizes and the mode; nothing while the
// window is minimised.
PaneRects formResize(PaneRects rects, const WindowMetrics &window, EditMode mode);
// A drag of the bar right of the tree by `x` twips (the pointer's offset
// from the bar), or of the bar under the list by `y`. Moves that would
// squeeze a pane below its margin are ignored; the layout runs either way.
PaneRects dragVerticalBar(PaneRects rects, const WindowMetrics &window, int x, EditMode mode);
PaneRects dragHorizontalBar(PaneRects rects, const WindowMetrics &window, int y, EditMode mode);
// The six keys on the bars. Unlike a drag they apply no bounds.
PaneRects applySizingKey(PaneRects rects, const WindowMetrics &window, SizingKey key, EditMode mode);

// A place in pixels for a screen with `logicalDpi` dots per inch. Edges are
// converted, not sizes, so neighbours that share an edge in twips share it
// in pixels too.
QRect toPixels(const TwipRect &rect, int logicalDpi);

} // namespace folio
