#pragma once

#include <QtGlobal>
#include <optional>

class QWidget;

namespace folio {

// Lets the user choose a colour. Behind an interface so a test can answer
// instead of a blocking colour dialog. Colours are 0x00BBGGRR numbers.
class ColorChooser
{
public:
    virtual ~ColorChooser() = default;
    // The chosen colour, or nothing when the user cancelled.
    virtual std::optional<quint32> chooseColor(quint32 initial, QWidget *parent) = 0;
};

// The desktop's colour dialog.
class DialogColorChooser : public ColorChooser
{
public:
    std::optional<quint32> chooseColor(quint32 initial, QWidget *parent) override;
};

// "#RRGGBB" for a 0x00BBGGRR colour number: 255 (red) gives #FF0000.
QString colorToHtml(quint32 color);

} // namespace folio
