#pragma once

#include <memory>

class QPrinter;
class QTextDocument;
class QWidget;

namespace folio {

// What became of a print: a failure (a printer or file that could not be
// opened) is told apart from the user's cancel, so that it can be reported.
enum class PrintOutcome { Printed, Cancelled, Failed };

// Prints after asking for printer and options.
class DocumentPrinter
{
public:
    virtual ~DocumentPrinter() = default;
    virtual PrintOutcome print(const QTextDocument &document, QWidget *parent) = 0;
};

// The desktop's print dialog, then printDocumentPages().
std::shared_ptr<DocumentPrinter> dialogDocumentPrinter();

// Prints `document` on `printer`, which the caller has set up (through the
// print dialog, or as a PDF file): a copy is laid out anew for the
// printer's page, with 2 cm margins inside the printer's own, broken into
// pages where a page is full, in the document's fonts and colours, each
// page numbered at its foot. Returns false when the printer could not be
// started or reported an error.
bool printDocumentPages(const QTextDocument &document, QPrinter &printer);

} // namespace folio
