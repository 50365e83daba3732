#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace folio {

struct AppContext;
class HtmlEditor;

// The export file question as the user sees it.
extern const QString ExportDialogTitle;
// HTML files first: the filter selected when the dialog opens.
extern const QStringList ExportFilters;
extern const QString NothingSelectedNotice;

// Exports the document the pane shows (its title box text `title` and the
// editing control's HTML) to a file the user names: with no entry selected
// in the document list it says so instead; a cancelled question writes
// nothing and says nothing; a failure is reported in dark red and leaves
// any existing file of that name as it was.
void exportShownDocument(AppContext &context, const QString &title, const HtmlEditor &editor, QWidget *parent);

} // namespace folio
