#include "editor/dialogdocumentprinter.h"

#include <QCoreApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace folio {

bool DialogDocumentPrinter::print(const QTextDocument &document, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QCoreApplication::translate("folio::DialogDocumentPrinter", "Print Document"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    document.print(&printer);
    return true;
}

} // namespace folio
