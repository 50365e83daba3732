#include "widgets/commands.h"

#include "widgets/commandavailability.h"
#include "widgets/icons.h"
#include "widgets/notices.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

namespace folio {

namespace {

struct Definition
{
    const char *key;
    const char *text;     // menu caption ("&" marks the access key)
    const char *toolTip;  // toolbar tool tip
    const char *shortcut;  // empty: none
};

const Definition definitions[] = {
    {"DirAdd", "&Add Folder", "Add New Folder", "Ctrl+Shift+N"},
    {"DirChg", "&Rename Folder", "Rename Folder", ""},
    {"DirDel", "&Delete Folder", "Delete Folder", ""},
    {"DbCompact", "&Compact Database", "Compact Database", ""},
    {"DbBackup", "Data &Backup", "Data Backup", ""},
    {"DocAdd", "&Add Document", "Add New Document", "Ctrl+N"},
    {"DocChg", "&Revise Document", "Edit a Document", "Ctrl+E"},
    {"DocDel", "&Delete Document", "Delete a Document", ""},
    {"DocExport", "&Export Document", "Export a Document", ""},
    {"DocFind", "Find Document", "Find Document", "Ctrl+Shift+F"},
    {"DocPrt", "Print Current Document", "Print Current Document", ""},
    {"DocHistory", "Document &History...", "", "Ctrl+H"},
    {"MnuDeletedDocs", "De&leted Documents...", "", ""},
    {"MnuRestoreDb", "&Restore from Backup", "", ""},
    {"MnuCheckNewVersion", "&Check New Version", "", ""},
    {"MnuRebuildDb", "&Rebuild Database", "", ""},
    {"MnuImport", "&Import...", "", ""},
    {"MnuExportFolder", "E&xport Folder...", "", ""},
    {"MnuSpelling", "&Spelling Languages...", "", ""},
    {"MnuDarkColours", "&Dark Colours", "", ""},
    {"MnuHelp", "&Help", "", "F1"},
    {"MnuBugReport", "&Bug Report", "", ""},
    {"MnuAbout", "&About", "", ""},
};

} // namespace

Commands::Commands(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    for (const Definition &d : definitions) {
        QAction *a = make(QLatin1String(d.key), QString::fromUtf8(d.text), QString::fromUtf8(d.toolTip));
        if (*d.shortcut)
            a->setShortcut(QKeySequence(QString::fromLatin1(d.shortcut)));
    }
}

QAction *Commands::make(const QString &key, const QString &text, const QString &toolTip)
{
    auto *a = new QAction(text, m_window);
    a->setObjectName(key);
    a->setIcon(commandIcon(key));
    if (!toolTip.isEmpty())
        a->setToolTip(toolTip);
    m_window->addAction(a);  // shortcuts work wherever the focus is in the window
    m_actions.insert(key, a);
    m_order.append(key);
    return a;
}

QAction *Commands::action(const QString &key) const
{
    return m_actions.value(key);
}

void Commands::bind(const QList<CommandBinding> &bindings, Notices &notices)
{
    for (const CommandBinding &binding : bindings) {
        QAction *a = action(binding.key);
        Q_ASSERT_X(a, "Commands::bind", qPrintable(binding.key));
        if (!a)
            continue;
        connect(a, &QAction::triggered, &notices, [this, &notices, key = binding.key, run = binding.run] {
            // A trigger that was queued before the mode changed.
            if (m_state && !commandAvailable(key, m_state->commandMode()))
                return;
            notices.guard(run);
        });
    }
}

const QStringList &Commands::folderToolbarKeys()
{
    static const QStringList keys = {"DirAdd", "DirChg", "DirDel", "", "DbCompact", "DbBackup"};
    return keys;
}

const QStringList &Commands::documentToolbarKeys()
{
    static const QStringList keys = {"DocAdd", "DocChg", "DocDel", "", "DocExport", "DocFind", "DocPrt"};
    return keys;
}

void Commands::populate(QToolBar *folderBar, QToolBar *documentBar, QMenuBar *menuBar)
{
    auto fill = [this](QToolBar *bar, const QStringList &keys) {
        for (const QString &key : keys) {
            if (key.isEmpty())
                bar->addSeparator();
            else
                bar->addAction(action(key));
        }
    };
    fill(folderBar, folderToolbarKeys());
    fill(documentBar, documentToolbarKeys());

    auto menu = [&](const QString &name, const QString &title, const QStringList &keys) {
        QMenu *m = menuBar->addMenu(title);
        m->setObjectName(name);
        m->setToolTipsVisible(false);
        for (const QString &key : keys) {
            if (key.isEmpty())
                m->addSeparator();
            else
                m->addAction(action(key));
        }
        return m;
    };
    m_folderMenu = menu(QStringLiteral("hMenuTreeView"), QStringLiteral("F&older"), {"DirAdd", "DirChg", "DirDel", "", "MnuExportFolder"});
    m_documentMenu = menu(QStringLiteral("hMenuListView"), QStringLiteral("&Document"),
                          {"DocAdd", "DocChg", "DocDel", "DocExport", "", "DocHistory", "MnuDeletedDocs"});
    menu(QStringLiteral("mnuDatabase"), QStringLiteral("&Database"), {"DbCompact", "DbBackup", "MnuRestoreDb", "", "MnuImport", "MnuExportFolder"});
    menu(QStringLiteral("mnuOptions"), QStringLiteral("&Options"), {"MnuCheckNewVersion", "MnuRebuildDb", "", "MnuSpelling", "MnuDarkColours"});
    menu(QStringLiteral("mnuHelp"), QStringLiteral("&Help"), {"MnuHelp", "MnuBugReport", "MnuAbout"});
}

void Commands::applyMode(CommandMode mode)
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        it.value()->setEnabled(commandAvailable(it.key(), mode));
}

} // namespace folio
