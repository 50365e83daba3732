#pragma once

#include "widgets/commands.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace folio {

struct AppContext;
class DeletedWindow;
class HistoryThinner;
class HistoryWindow;

// "Document History..." (DocHistory, Ctrl+H) and "Deleted Documents..."
// (MnuDeletedDocs): one window of each at a time. Also runs the history's
// thinning rules after the file is opened and after saves.
class HistoryActions : public QObject
{
    Q_OBJECT
public:
    HistoryActions(AppContext &context, QWidget *window);
    ~HistoryActions() override;

    QList<CommandBinding> bindings();

    // The history of the document the pane shows; an edit is left first.
    void showHistory();
    void showDeleted();

    HistoryWindow *historyWindow() const;
    DeletedWindow *deletedWindow() const;
    HistoryThinner &thinner() const { return *m_thinner; }

private:
    AppContext &m_context;
    QWidget *m_window;
    HistoryThinner *m_thinner;
    QPointer<HistoryWindow> m_history;
    QPointer<DeletedWindow> m_deleted;
};

} // namespace folio
