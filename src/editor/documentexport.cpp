#include "editor/documentexport.h"

#include "editor/htmleditor.h"
#include "session/appstate.h"
#include "storage/htmlexport.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"
#include "widgets/prompts.h"

#include <QDir>

namespace folio {

const QString ExportDialogTitle = QStringLiteral("Select Export File Folder and File Name");
const QStringList ExportFilters = {QStringLiteral("All Files (*)"), QStringLiteral("HTML Files (*.htm)")};
constexpr int HtmlFilter = 1;
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
        context.prompts.saveFile->saveFileName(ExportDialogTitle, suggested, ExportFilters, HtmlFilter, parent);
    if (!chosen || chosen->isEmpty())
        return;
    const QString html = editor.documentHtml();
    BusyScope busy(context.status);
    context.notices.guard([&] { writeHtmlExport(*chosen, html); });
}

} // namespace folio
