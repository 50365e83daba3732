#include "app/helpactions.h"

#include "app/aboutbox.h"
#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "update/networkversionsource.h"
#include "update/siteaddress.h"
#include "update/updatewindow.h"
#include "widgets/helpcontext.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QKeyEvent>

namespace folio {

HelpActions::HelpActions(MainWindow &window)
    : QObject(&window)
    , m_window(window)
{
    assignHelpContexts();
    qApp->installEventFilter(this);
}

// The numbers that the manual's pages are filed under, given by the
// controls' design names.
void HelpActions::assignHelpContexts()
{
    setHelpContext(&m_window, HelpContext::MainWindow);
    const struct
    {
        const char *name;
        int topic;
    } controls[] = {
        {"ToolbarDir", HelpContext::Toolbars},  {"ToolbarDoc", HelpContext::Toolbars},
        {"Toolbar3", HelpContext::Toolbars},    {"Toolbar4", HelpContext::Toolbars},
        {"TreeView1", HelpContext::FolderTree}, {"ListView1", HelpContext::DocumentList},
        {"txtHTMLTitle", HelpContext::TitleAndEditor}, {"DHTMLEdit1", HelpContext::TitleAndEditor},
    };
    for (const auto &control : controls)
        if (QWidget *widget = m_window.findChild<QWidget *>(QLatin1String(control.name)))
            setHelpContext(widget, control.topic);
}

QList<CommandBinding> HelpActions::bindings()
{
    return {
        // The menu entry asks the main window, as F1 there would.
        {QStringLiteral("MnuHelp"),
         [this] { showHelpFor(m_window.focusWidget() ? m_window.focusWidget() : &m_window); }},
        {QStringLiteral("MnuBugReport"), [this] { reportBug(); }},
        {QStringLiteral("MnuAbout"), [this] { showAbout(); }},
        {QStringLiteral("MnuCheckNewVersion"), [this] { checkNewVersion(); }},
    };
}

HelpWindow *HelpActions::helpWindow() const
{
    return m_help;
}

void HelpActions::present(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void HelpActions::showHelp(int topic)
{
    if (!m_help) {
        m_help = new HelpWindow(manualFolder(m_window.resourceDir()), &m_window);
        m_window.registerSecondaryWindow(m_help);
    }
    m_help->showTopic(topic);
    present(m_help);
}

void HelpActions::showHelpFor(const QWidget *widget)
{
    showHelp(helpContextOf(widget));
}

void HelpActions::showAbout()
{
    if (!m_about) {
        m_about = new AboutBox(m_window.state().appVersion(), m_window.programDir(), &m_window);
        m_window.registerSecondaryWindow(m_about);
    }
    present(m_about);
}

void HelpActions::checkNewVersion()
{
    if (!m_update) {
        auto source = std::make_unique<NetworkVersionSource>(siteUrl(VersionFilePath));
        m_update = new UpdateWindow(m_window.state().appVersion(), std::move(source), siteUrl(DownloadPagePath),
                                    m_window.context().prompts.urls, &m_window);
        connect(m_update, &UpdateWindow::helpRequested, this, [this] { showHelp(0); });
        m_window.registerSecondaryWindow(m_update);
    }
    present(m_update);
}

// Opening the page is all there is to it: a missing browser or address
// is not worth a message.
void HelpActions::reportBug()
{
    const QUrl page = siteUrl(FeedbackPagePath);
    if (page.isValid() && m_window.context().prompts.urls)
        m_window.context().prompts.urls->openUrl(page);
}

bool HelpActions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !watched->isWidgetType())
        return false;
    // Only this program's windows: the main window and the windows it owns.
    auto *widget = static_cast<QWidget *>(watched);
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w == &m_window) {
            showHelpFor(widget);
            return true;
        }
    }
    return false;
}

} // namespace folio
