#include "shell/documentprint.h"

#include <QPrinter>
#include <QTextDocument>

namespace folio {

bool printDocumentPages(const QTextDocument &document, QPrinter &printer)
{
    // The editor's document has no fixed page height (it flows with the
    // window), so print() lays out a copy for the printer's pages instead
    // of printing the screen's layout.
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

} // namespace folio
