#pragma once

#include "editor/fontchooser.h"

namespace folio {

// Asks with the standard font dialog.
class DialogFontChooser : public FontChooser
{
public:
    std::optional<QFont> chooseFont(const QFont &initial, QWidget *parent) override;
};

} // namespace folio
