#include "widgets/windowtopmost.h"

#include <QWidget>

namespace folio {

void setWindowTopmost(QWidget *window, int onTop)
{
    const bool top = onTop == TopmostTrue;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == top)
        return;
    // Changing a flag hides a shown window; put it back where it was.
    const bool shown = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, top);
    if (shown) {
        window->setGeometry(geometry);
        window->show();
    }
}

} // namespace folio
