#pragma once

class QPrinter;
class QTextDocument;

namespace folio {

// Prints `document` on `printer`, which the caller has set up (through the
// print dialog, or as a PDF file): a copy is laid out anew for the
// printer's page, with 2 cm margins inside the printer's own, broken into
// pages where a page is full, in the document's fonts and colours, each
// page numbered at its foot. Returns false when the printer could not be
// started or reported an error.
bool printDocumentPages(const QTextDocument &document, QPrinter &printer);

} // namespace folio
