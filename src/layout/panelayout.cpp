#include "layout/panelayout.h"

#include "widgets/twips.h"

#include <array>
#include <utility>

namespace folio {

namespace {

// A control refuses a negative size and keeps the one it has.
void assignSize(int &size, int value)
{
    if (value >= 0)
        size = value;
}

const std::array<std::pair<SizingKey, const char *>, 6> KeyNames = {{
    {SizingKey::DirLeft, "DirLeft"},
    {SizingKey::DirMid, "DirMid"},
    {SizingKey::DirRight, "DirRight"},
    {SizingKey::DocTop, "DocTop"},
    {SizingKey::DocMid, "DocMid"},
    {SizingKey::DocBottom, "DocBottom"},
}};

} // namespace

QString sizingKeyName(SizingKey key)
{
    for (const auto &[k, name] : KeyNames)
        if (k == key)
            return QLatin1String(name);
    return {};
}

std::optional<SizingKey> sizingKeyFromName(const QString &name)
{
    for (const auto &[k, text] : KeyNames)
        if (name == QLatin1String(text))
            return k;
    return std::nullopt;
}

PaneRects initPaneLayout(const WindowMetrics &window)
{
    const int bottom = window.scaleHeight - window.statusBarHeight;
    PaneRects r;
    r.tree.left = 0;
    r.tree.top = window.coolBarTop + window.coolBarHeight;
    assignSize(r.tree.width, qRound(0.2 * window.outerWidth));
    assignSize(r.tree.height, bottom - r.tree.top);

    r.verticalBar = {r.tree.right(), r.tree.top, VerticalBarThickness, r.tree.height};

    r.list.top = r.tree.top;
    assignSize(r.list.height, qRound(0.5 * (bottom - r.list.top)));
    r.horizontalBar.top = r.list.bottom();
    r.horizontalBar.height = HorizontalBarThickness;
    r.frame.top = r.horizontalBar.bottom();
    assignSize(r.frame.height, bottom - r.frame.top);
    return r;
}

PaneRects arrangeAtLoad(PaneRects r, const WindowMetrics &window, EditMode mode)
{
    assignSize(r.tree.width, qRound(0.35 * window.outerWidth));
    assignSize(r.list.height, qRound((r.list.height + r.frame.height) * 0.5));
    return formResize(r, window, mode);
}

PaneRects formResize(PaneRects r, const WindowMetrics &window, EditMode mode)
{
    if (window.minimised)
        return r;
    const int bottom = window.scaleHeight - window.statusBarHeight;
    r.tree.top = window.coolBarTop + window.coolBarHeight;
    assignSize(r.tree.height, bottom - r.tree.top);

    // The bar follows the tree's top as well, so that a cool bar that
    // changes height never leaves the bar out of line with the tree.
    r.verticalBar.top = r.tree.top;
    r.verticalBar.left = r.tree.right();
    assignSize(r.verticalBar.height, r.tree.height);
    r.band1Width = r.tree.width;

    const int right = r.verticalBar.right();
    if (mode == EditMode::Edit) {
        r.listShown = false;
        r.frame.top = r.tree.top;
        r.frame.left = right;
        assignSize(r.frame.width, window.scaleWidth - r.frame.left);
        assignSize(r.frame.height, r.tree.height);
        return r;
    }
    r.listShown = true;
    r.list.top = r.tree.top;
    r.list.left = right;
    assignSize(r.list.width, window.scaleWidth - r.list.left);

    r.horizontalBar.top = r.list.bottom();
    r.horizontalBar.left = r.list.left;
    r.horizontalBar.width = r.list.width;

    r.frame.top = r.horizontalBar.bottom();
    r.frame.left = r.horizontalBar.left;
    r.frame.width = r.horizontalBar.width;
    assignSize(r.frame.height, bottom - r.frame.top);
    return r;
}

PaneRects dragVerticalBar(PaneRects r, const WindowMetrics &window, int x, EditMode mode)
{
    const int width = r.tree.width + x;
    if (width > 100 && width < window.scaleWidth - 100)
        r.tree.width = width;
    return formResize(r, window, mode);
}

PaneRects dragHorizontalBar(PaneRects r, const WindowMetrics &window, int y, EditMode mode)
{
    const int height = r.list.height + y;
    if (height > r.list.top + 100 && height < window.scaleHeight - r.list.top - window.statusBarHeight - 100)
        r.list.height = height;
    return formResize(r, window, mode);
}

PaneRects applySizingKey(PaneRects r, const WindowMetrics &window, SizingKey key, EditMode mode)
{
    switch (key) {
    case SizingKey::DirLeft:
        assignSize(r.tree.width, 10);
        break;
    case SizingKey::DirMid:
        assignSize(r.tree.width, qRound(0.35 * window.outerWidth));
        break;
    case SizingKey::DirRight:
        assignSize(r.tree.width, window.outerWidth - 350);
        break;
    case SizingKey::DocTop:
        r.list.height = 0;
        break;
    case SizingKey::DocMid:
        r.list.height = qRound((r.list.height + r.frame.height) * 0.5);
        break;
    case SizingKey::DocBottom:
        r.list.height = r.list.height + r.frame.height;
        break;
    }
    return formResize(r, window, mode);
}

QRect toPixels(const TwipRect &rect, int logicalDpi)
{
    const int left = twipsToPixels(rect.left, logicalDpi);
    const int top = twipsToPixels(rect.top, logicalDpi);
    const int right = twipsToPixels(rect.right(), logicalDpi);
    const int bottom = twipsToPixels(rect.bottom(), logicalDpi);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace folio
