#include "history/historyactions.h"

#include "history/deletedwindow.h"
#include "history/historythinner.h"
#include "history/historywindow.h"
#include "session/appstate.h"
#include "widgets/appcontext.h"
#include "widgets/messageboard.h"

#include <QTimer>
#include <QWidget>

namespace folio {

namespace {
const QString NothingShown = QStringLiteral("Please select a Document from Document List Area first");
}

HistoryActions::HistoryActions(AppContext &context, QWidget *window)
    : QObject(window)
    , m_context(context)
    , m_window(window)
    , m_thinner(new HistoryThinner(context.session, context.notices, this))
{
    connect(&m_context.state, &AppState::documentSaved, m_thinner, &HistoryThinner::schedule);
    // Once the window runs: the file is open by then.
    QTimer::singleShot(0, m_thinner, &HistoryThinner::schedule);
}

HistoryActions::~HistoryActions()
{
    delete m_history;
    delete m_deleted;
}

HistoryWindow *HistoryActions::historyWindow() const
{
    return m_history.data();
}

DeletedWindow *HistoryActions::deletedWindow() const
{
    return m_deleted.data();
}

QList<CommandBinding> HistoryActions::bindings()
{
    return {{QStringLiteral("DocHistory"), [this] { showHistory(); }},
            {QStringLiteral("MnuDeletedDocs"), [this] { showDeleted(); }}};
}

void HistoryActions::showHistory()
{
    // A restore from the window replaces the pane's text: an edit with
    // changes is settled before the window opens.
    if (!mayProceed(m_context.state.leaveEdit()))
        return;
    const DocNum doc = m_context.state.currentDocNum();
    if (doc == 0) {
        m_context.board.inform(NothingShown);
        return;
    }
    if (!m_history) {
        m_history = new HistoryWindow(m_context, m_window);
        m_history->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_history->showDocument(doc);
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

void HistoryActions::showDeleted()
{
    if (!m_deleted) {
        m_deleted = new DeletedWindow(m_context, m_window);
        m_deleted->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_deleted->fill();
    m_deleted->show();
    m_deleted->raise();
    m_deleted->activateWindow();
}

} // namespace folio
