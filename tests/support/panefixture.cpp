#include "support/panefixture.h"

#include "editor/documentprint.h"
#include "session/version.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"
#include "widgets/statuspanel.h"

#include <QPrinter>
#include <QTest>
#include <QVBoxLayout>

namespace folio::test {

namespace {

class ScriptedColor : public ColorChooser
{
public:
    explicit ScriptedColor(std::shared_ptr<ScriptedPrompts> s) : m_s(std::move(s)) {}
    std::optional<quint32> chooseColor(quint32, QWidget *) override
    {
        return m_s->colors.isEmpty() ? std::nullopt : m_s->colors.takeFirst();
    }
    std::shared_ptr<ScriptedPrompts> m_s;
};

class CancelledFont : public FontChooser
{
public:
    std::optional<QFont> chooseFont(const QFont &, QWidget *) override { return std::nullopt; }
};

class ScriptedPrinter : public DocumentPrinter
{
public:
    explicit ScriptedPrinter(std::shared_ptr<ScriptedPrompts> s) : m_s(std::move(s)) {}
    PrintOutcome print(const QTextDocument &document, QWidget *) override
    {
        ++m_s->printRequests;
        if (m_s->printToPdf.isEmpty())
            return m_s->printAccepted ? PrintOutcome::Printed : PrintOutcome::Cancelled;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_s->printToPdf);
        return printDocumentPages(document, printer) ? PrintOutcome::Printed : PrintOutcome::Failed;
    }
    std::shared_ptr<ScriptedPrompts> m_s;
};

class RecordedUrls : public UrlOpener
{
public:
    explicit RecordedUrls(std::shared_ptr<ScriptedPrompts> s) : m_s(std::move(s)) {}
    void openUrl(const QUrl &url) override { m_s->openedUrls.append(url); }
    std::shared_ptr<ScriptedPrompts> m_s;
};

class ScriptedSaveFile : public SaveFilePrompt
{
public:
    explicit ScriptedSaveFile(std::shared_ptr<ScriptedPrompts> s) : m_s(std::move(s)) {}
    std::optional<QString> saveFileName(const QString &title, const QString &suggestedPath,
                                        const QStringList &filters, int selectedFilter, QWidget *) override
    {
        m_s->saveFileQuestions.append(title + QLatin1Char('|') + suggestedPath);
        m_s->saveFileFilters.append(filters);
        m_s->saveFileSelectedFilters.append(filters.value(selectedFilter));
        return m_s->saveFileNames.isEmpty() ? std::nullopt : m_s->saveFileNames.takeFirst();
    }
    std::shared_ptr<ScriptedPrompts> m_s;
};

class ScriptedOpenFile : public OpenFilePrompt
{
public:
    explicit ScriptedOpenFile(std::shared_ptr<ScriptedPrompts> s) : m_s(std::move(s)) {}
    std::optional<QString> openFileName(const QString &, const QStringList &, QWidget *) override
    {
        return m_s->openFileNames.isEmpty() ? std::nullopt : m_s->openFileNames.takeFirst();
    }
    std::shared_ptr<ScriptedPrompts> m_s;
};

class ScriptedFolder : public FolderPrompt
{
public:
    explicit ScriptedFolder(std::shared_ptr<ScriptedPrompts> s) : m_s(std::move(s)) {}
    std::optional<QString> chooseFolder(const QString &, const QString &, QWidget *) override
    {
        return m_s->folderChoices.isEmpty() ? std::nullopt : m_s->folderChoices.takeFirst();
    }
    std::shared_ptr<ScriptedPrompts> m_s;
};

} // namespace

Prompts scriptedPrompts(const std::shared_ptr<ScriptedPrompts> &script)
{
    return {std::make_shared<ScriptedColor>(script), std::make_shared<CancelledFont>(),
            std::make_shared<ScriptedPrinter>(script), std::make_shared<RecordedUrls>(script),
            std::make_shared<ScriptedSaveFile>(script), std::make_shared<ScriptedOpenFile>(script),
            std::make_shared<ScriptedFolder>(script)};
}

PaneFixture::PaneFixture(const QStringList &setUp)
    : m_session(m_folder.path())
    , m_script(std::make_shared<ScriptedPrompts>())
    , m_prompts(scriptedPrompts(m_script))
    , m_board(new MessageBoard(&m_host))
    , m_notices(new Notices(*m_board, &m_host))
    , m_status(new StatusPanel(&m_host))
{
    m_folder.createDatabase();
    if (!setUp.isEmpty())
        m_folder.execAll(setUp);
    m_board->setSlideDelay(0);
    m_state.setAppVersion(appVersion());
    if (!m_session.open(m_state.appVersion()).ok())
        qWarning("the pane fixture could not open its database");
    QObject::connect(&m_session, &Session::aboutToReopen, &m_state, &AppState::forgetCurrent);
    m_context = std::make_unique<AppContext>(AppContext{m_session, m_session.database(), m_session.folders(),
                                                        m_session.documents(), m_state, *m_board, *m_notices,
                                                        *m_status, m_prompts});
    auto *layout = new QVBoxLayout(&m_host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_status);
    m_host.resize(900, 700);
}

PaneFixture::~PaneFixture()
{
    m_session.close();
}

void PaneFixture::show(QWidget *pane)
{
    auto *layout = static_cast<QVBoxLayout *>(m_host.layout());
    layout->insertWidget(0, pane, 1);
    m_host.show();
    if (!QTest::qWaitForWindowExposed(&m_host))
        qWarning("the pane fixture's window was not exposed");
    m_board->park(20);
}

} // namespace folio::test
