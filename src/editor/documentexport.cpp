#include "editor/documentexport.h"

#include "editor/htmleditor.h"
#include "shell/appcontext.h"
#include "shell/appstate.h"
#include "shell/busyscope.h"
#include "shell/messageboard.h"
#include "shell/notices.h"
#include "shell/prompts.h"
#include "storage/htmlexport.h"

#include <QDir>

namespace folio {

const QString ExportDialogTitle = QStringLiteral("Select Export File Folder and File Name");
const QStringList ExportFilters = {QStringLiteral("HTML Files (*.htm)"), QStringLiteral("All Files (*)")};
const QString NothingSelectedNotice = QStringLiteral("Please select a Document from Document List Area first");

void exportShownDocument(AppContext &context, const QString &title, const HtmlEditor &editor, QWidget *parent)
{
    if (!context.state.documentEntrySelected()) {
        context.board.inform(NothingSelectedNotice);
        return;
    }
    if (!context.prompts.saveFile)
        return;
    const QString suggested = QDir::home().filePath(exportFileName(title));
    const std::optional<QString> chosen =
        context.prompts.saveFile->saveFileName(ExportDialogTitle, suggested, ExportFilters, parent);
    if (!chosen || chosen->isEmpty())
        return;
    const QString html = editor.documentHtml();
    BusyScope busy(context.status);
    context.notices.guard([&] { writeHtmlExport(*chosen, html); });
}

} // namespace folio
