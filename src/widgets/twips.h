#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

namespace folio {

// Sizes in the design are in twips (1/1440 inch). A pixel is 15 twips at
// 96 logical dots per inch and fewer on a screen set to a larger text size.
// These two functions are the one place where twips become pixels and back.
inline int twipsToPixels(int twips, int logicalDpi)
{
    return qRound(twips * qreal(logicalDpi) / 1440.0);
}

inline int pixelsToTwips(int pixels, int logicalDpi)
{
    return logicalDpi > 0 ? qRound(pixels * 1440.0 / logicalDpi) : 0;
}

// The logical dots per inch of the primary screen; 96 before there is one.
inline int screenLogicalDpi()
{
    const QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

// A design size in pixels of the primary screen.
inline int twips(int value)
{
    return twipsToPixels(value, screenLogicalDpi());
}

} // namespace folio
