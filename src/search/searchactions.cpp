#include "search/searchactions.h"

#include "search/finddocumentsdialog.h"
#include "search/searchindexbuilder.h"
#include "widgets/appcontext.h"

#include <QTimer>
#include <QWidget>

namespace folio {

SearchActions::SearchActions(AppContext &context, QWidget *window)
    : QObject(window)
    , m_context(context)
    , m_window(window)
    , m_builder(new SearchIndexBuilder(context.session, context.notices, this))
{
    // Once the window runs: the build reports through the event loop.
    QTimer::singleShot(0, m_builder, &SearchIndexBuilder::startIfNeeded);
}

SearchActions::~SearchActions()
{
    delete m_dialog;
}

FindDocumentsDialog *SearchActions::findDialog() const
{
    return m_dialog.data();
}

QList<CommandBinding> SearchActions::bindings()
{
    return {{QStringLiteral("DocFind"), [this] { showFindDialog(); }}};
}

void SearchActions::showFindDialog()
{
    m_builder->startIfNeeded();
    if (!m_dialog) {
        m_dialog = new FindDocumentsDialog(m_context, *m_builder, m_window);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

} // namespace folio
