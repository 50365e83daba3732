#pragma once

#include <QFont>

#include <optional>

class QWidget;

namespace folio {

// Lets the user choose a font. Behind an interface so a test can answer
// instead of a blocking font dialog.
class FontChooser
{
public:
    virtual ~FontChooser() = default;
    // The chosen font, or nothing when the user cancelled.
    virtual std::optional<QFont> chooseFont(const QFont &initial, QWidget *parent) = 0;
};

} // namespace folio
