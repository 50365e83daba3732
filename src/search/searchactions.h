#pragma once

#include "widgets/commands.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace folio {

struct AppContext;
class FindDocumentsDialog;
class SearchIndexBuilder;

// The search area's command: DocFind shows the one find dialog, making it
// on first use and bringing it forward later (its results kept). Also owns
// the background build of the search index, started when the session opens
// or reopens a file whose index is not complete.
class SearchActions : public QObject
{
    Q_OBJECT
public:
    // `window` is the main window: the dialog's parent and this object's owner.
    SearchActions(AppContext &context, QWidget *window);
    ~SearchActions() override;

    QList<CommandBinding> bindings();

    void showFindDialog();
    // The open find dialog, or null.
    FindDocumentsDialog *findDialog() const;
    SearchIndexBuilder &indexBuilder() { return *m_builder; }

private:
    AppContext &m_context;
    QWidget *m_window;
    SearchIndexBuilder *m_builder;
    QPointer<FindDocumentsDialog> m_dialog;
};

} // namespace folio
