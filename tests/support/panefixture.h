#pragma once

// One pane built with its store and state but no main window: a program
// folder with KB97.MDB, an open session, the shared state, a host window
// holding the message board and the status panel, and prompts that a test
// scripts. Several fixtures may live at once (each has its own folder).

#include "session/appstate.h"
#include "session/session.h"
#include "support/testsupport.h"
#include "widgets/appcontext.h"
#include "widgets/prompts.h"

#include <QWidget>
#include <memory>

namespace folio {
class MessageBoard;
class Notices;
class StatusPanel;
}

namespace folio::test {

// Answers a test has set up in advance; a question without an answer is
// recorded and cancelled.
struct ScriptedPrompts
{
    QList<std::optional<quint32>> colors;
    QList<std::optional<QString>> saveFileNames;
    QList<std::optional<QString>> openFileNames;
    QList<std::optional<QString>> folderChoices;
    QList<QUrl> openedUrls;
    int printRequests = 0;
    bool printAccepted = false;
    // When set, a print request prints to this PDF file the way the print
    // dialog's printer would (Printed, or Failed when the file cannot be
    // written).
    QString printToPdf;
    // The titles and suggested paths of the save-file questions asked, and
    // the filters each offered.
    QStringList saveFileQuestions;
    QList<QStringList> saveFileFilters;
    QStringList saveFileSelectedFilters;
};

// Prompts that answer from `script` (also for a whole main window).
Prompts scriptedPrompts(const std::shared_ptr<ScriptedPrompts> &script);

class PaneFixture
{
public:
    // `setUp` runs SQL against the new KB97.MDB before the session opens it.
    explicit PaneFixture(const QStringList &setUp = {});
    ~PaneFixture();

    bool isOpen() const { return m_session.isOpen(); }
    AppContext &context() { return *m_context; }
    AppState &state() { return m_state; }
    Session &session() { return m_session; }
    QWidget &host() { return m_host; }
    MessageBoard &board() { return *m_board; }
    StatusPanel &status() { return *m_status; }
    const ProgramFolder &folder() const { return m_folder; }
    ScriptedPrompts &script() { return *m_script; }
    // Puts a pane into the host window and shows it at a usable size.
    void show(QWidget *pane);

private:
    ProgramFolder m_folder;
    Session m_session;
    AppState m_state;
    QWidget m_host;
    std::shared_ptr<ScriptedPrompts> m_script;
    Prompts m_prompts;
    MessageBoard *m_board;
    Notices *m_notices;
    StatusPanel *m_status;
    std::unique_ptr<AppContext> m_context;
};

} // namespace folio::test
