#pragma once

#include "editor/documentprinter.h"

namespace folio {

// Asks with the system's print dialog, then prints on the chosen printer.
class DialogDocumentPrinter : public DocumentPrinter
{
public:
    bool print(const QTextDocument &document, QWidget *parent) override;
};

} // namespace folio
