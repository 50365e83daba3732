#include "editor/dialogfontchooser.h"

#include <QFontDialog>

namespace folio {

std::optional<QFont> DialogFontChooser::chooseFont(const QFont &initial, QWidget *parent)
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, initial, parent);
    if (!chosen)
        return std::nullopt;
    return font;
}

} // namespace folio
