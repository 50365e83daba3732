#include "layout/panearranger.h"

#include "layout/splitterbar.h"
#include "session/appstate.h"
#include "widgets/twips.h"

#include <QEvent>
#include <QLayout>

namespace folio {

PaneArranger::PaneArranger(AppState &state, QWidget *area, const PaneWidgets &panes)
    : QObject(area)
    , m_state(state)
    , m_area(area)
    , m_panes(panes)
    , m_verticalBar(new SplitterBar(Qt::Vertical, QStringLiteral("imgHspliter"), QStringLiteral("ToolBar2"),
                                    {SizingKey::DirLeft, SizingKey::DirMid, SizingKey::DirRight}, area))
    , m_horizontalBar(new SplitterBar(Qt::Horizontal, QStringLiteral("imgVspliter"), QStringLiteral("Toolbar1"),
                                      {SizingKey::DocTop, SizingKey::DocMid, SizingKey::DocBottom}, area))
{
    for (SplitterBar *bar : {m_verticalBar, m_horizontalBar}) {
        connect(bar, &SplitterBar::pressed, this, [this] { m_splitterDragging = true; });
        connect(bar, &SplitterBar::released, this, [this] { m_splitterDragging = false; });
        connect(bar, &SplitterBar::moved, this, [this, bar](QPoint offset) { dragBy(bar, offset); });
        connect(bar, &SplitterBar::keyTriggered, this, &PaneArranger::applySizingKey);
    }
    connect(&m_state, &AppState::editModeChanged, this, [this] { formResize(); });
    m_area->installEventFilter(this);
    m_area->window()->installEventFilter(this);
    if (m_panes.coolBar)
        m_panes.coolBar->installEventFilter(this);
}

int PaneArranger::logicalDpi() const
{
    return m_area->logicalDpiX();
}

WindowMetrics PaneArranger::metrics() const
{
    const int dpi = logicalDpi();
    WindowMetrics m;
    m.scaleWidth = pixelsToTwips(m_area->width(), dpi);
    m.scaleHeight = pixelsToTwips(m_area->height(), dpi);
    m.outerWidth = pixelsToTwips(m_area->window()->frameGeometry().width(), dpi);
    if (m_panes.coolBar) {
        m.coolBarTop = pixelsToTwips(m_panes.coolBar->y(), dpi);
        m.coolBarHeight = pixelsToTwips(m_panes.coolBar->height(), dpi);
    }
    // The status bar lies below the area, outside what the panes share.
    m.statusBarHeight = 0;
    m.minimised = m_area->window()->isMinimized();
    return m;
}

void PaneArranger::initPaneLayout()
{
    // Before the window is first shown its central area has not been sized
    // yet; the first arrangement needs the real size.
    if (QLayout *windowLayout = m_area->window()->layout())
        windowLayout->activate();
    placeCoolBar();
    m_rects = folio::initPaneLayout(metrics());
    m_active = true;
    apply();
}

void PaneArranger::arrangeAtLoad()
{
    placeCoolBar();
    m_rects = folio::arrangeAtLoad(m_rects, metrics(), m_state.editMode());
    apply();
}

void PaneArranger::formResize()
{
    if (!m_active)
        return;
    placeCoolBar();
    m_rects = folio::formResize(m_rects, metrics(), m_state.editMode());
    apply();
}

void PaneArranger::applySizingKey(SizingKey key)
{
    if (!m_active)
        return;
    m_rects = folio::applySizingKey(m_rects, metrics(), key, m_state.editMode());
    apply();
}

void PaneArranger::dragBy(SplitterBar *bar, QPoint offset)
{
    if (!m_active || !m_splitterDragging)
        return;
    const int dpi = logicalDpi();
    if (bar == m_verticalBar)
        m_rects = dragVerticalBar(m_rects, metrics(), pixelsToTwips(offset.x(), dpi), m_state.editMode());
    else
        m_rects = dragHorizontalBar(m_rects, metrics(), pixelsToTwips(offset.y(), dpi), m_state.editMode());
    apply();
}

// The upper cool bar keeps its place across the top at the height its
// bands need.
void PaneArranger::placeCoolBar()
{
    if (m_panes.coolBar)
        m_panes.coolBar->setGeometry(0, 0, m_area->width(), m_panes.coolBar->sizeHint().height());
}

void PaneArranger::apply()
{
    const int dpi = logicalDpi();
    m_verticalBar->setThickness(twipsToPixels(VerticalBarThickness, dpi));
    m_horizontalBar->setThickness(twipsToPixels(HorizontalBarThickness, dpi));
    if (m_panes.band1) {
        // The band ends where the tree ends, but never so narrow that its
        // toolbar loses the button that shows the keys it cannot fit.
        const QLayout *bands = m_panes.band1->parentWidget()->layout();
        const int leftMargin = bands ? bands->contentsMargins().left() : m_panes.band1->x();
        const int width = twipsToPixels(m_rects.band1Width, dpi) - leftMargin;
        m_panes.band1->setFixedWidth(qMax(width, m_panes.band1->minimumSizeHint().width()));
    }
    m_panes.tree->setGeometry(toPixels(m_rects.tree, dpi));
    m_verticalBar->setGeometry(toPixels(m_rects.verticalBar, dpi));
    if (m_rects.listShown) {
        m_panes.list->setGeometry(toPixels(m_rects.list, dpi));
        m_horizontalBar->setGeometry(toPixels(m_rects.horizontalBar, dpi));
    }
    m_panes.list->setVisible(m_rects.listShown);
    m_horizontalBar->setVisible(m_rects.listShown);
    m_panes.frame->setGeometry(toPixels(m_rects.frame, dpi));
}

bool PaneArranger::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area && event->type() == QEvent::Resize) {
        formResize();
    } else if (watched == m_area->window() && event->type() == QEvent::WindowStateChange) {
        formResize();
    } else if (watched == m_panes.coolBar && event->type() == QEvent::LayoutRequest) {
        // The cool bar changed height (its bands wrapped or its font grew).
        if (m_panes.coolBar->sizeHint().height() != m_panes.coolBar->height())
            formResize();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace folio
