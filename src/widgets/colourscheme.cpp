#include "widgets/colourscheme.h"

#include <QApplication>
#include <QWidget>

#include <cmath>
#include <optional>

namespace folio {

namespace {

double channel(double value)
{
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

std::optional<QPalette> &desktopPalette()
{
    static std::optional<QPalette> palette;
    return palette;
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(const QPalette &palette)
{
    return luminance(palette.color(QPalette::Window)) < luminance(palette.color(QPalette::WindowText));
}

QPalette darkPalette()
{
    const QColor window(0x2b, 0x2d, 0x30);
    const QColor base(0x1e, 0x1f, 0x22);
    const QColor text(0xe8, 0xe8, 0xe8);
    const QColor muted(0x9a, 0x9c, 0xa0);
    QPalette p;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool off = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, off ? muted : text);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, QColor(0x26, 0x28, 0x2b));
        p.setColor(group, QPalette::Text, off ? muted : text);
        p.setColor(group, QPalette::Button, QColor(0x35, 0x37, 0x3b));
        p.setColor(group, QPalette::ButtonText, off ? muted : text);
        p.setColor(group, QPalette::BrightText, Qt::white);
        p.setColor(group, QPalette::Highlight, off ? QColor(0x44, 0x47, 0x4d) : QColor(0x2d, 0x5b, 0xa8));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, QColor(0x3a, 0x3c, 0x40));
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::PlaceholderText, muted);
        p.setColor(group, QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
        p.setColor(group, QPalette::LinkVisited, QColor(0xc5, 0x8a, 0xf9));
        p.setColor(group, QPalette::Light, QColor(0x4a, 0x4d, 0x52));
        p.setColor(group, QPalette::Midlight, QColor(0x40, 0x43, 0x48));
        p.setColor(group, QPalette::Mid, QColor(0x24, 0x25, 0x28));
        p.setColor(group, QPalette::Dark, QColor(0x18, 0x19, 0x1b));
        p.setColor(group, QPalette::Shadow, Qt::black);
    }
    return p;
}

void applyDarkColours(bool on)
{
    if (!desktopPalette())
        desktopPalette() = QApplication::palette();
    QApplication::setPalette(on ? darkPalette() : *desktopPalette());
}

void keepPaperColours(QWidget *viewport)
{
    QPalette paper = viewport->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        paper.setColor(group, QPalette::Base, Qt::white);
        paper.setColor(group, QPalette::Text, Qt::black);
        paper.setColor(group, QPalette::Highlight, QColor(0x30, 0x6c, 0xc8));
        paper.setColor(group, QPalette::HighlightedText, Qt::white);
        paper.setColor(group, QPalette::Link, QColor(0x00, 0x33, 0xaa));
    }
    viewport->setPalette(paper);
}

} // namespace folio
