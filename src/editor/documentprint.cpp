#include "editor/documentprint.h"

#include <QCoreApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace folio {

namespace {

class DialogDocumentPrinter : public DocumentPrinter
{
public:
    PrintOutcome print(const QTextDocument &document, QWidget *parent) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(QCoreApplication::translate("folio::Prompts", "Print Document"));
        if (dialog.exec() != QDialog::Accepted)
            return PrintOutcome::Cancelled;
        return printDocumentPages(document, printer) ? PrintOutcome::Printed : PrintOutcome::Failed;
    }
};

} // namespace

std::shared_ptr<DocumentPrinter> dialogDocumentPrinter()
{
    return std::make_shared<DialogDocumentPrinter>();
}

bool printDocumentPages(const QTextDocument &document, QPrinter &printer)
{
    // The editor's document has no fixed page height (it flows with the
    // window), so print() lays out a copy for the printer's pages rather
    // than printing the screen's layout.
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

} // namespace folio
