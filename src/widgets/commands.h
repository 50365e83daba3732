#pragma once

#include "session/appstate.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace folio {

class Notices;

// A command's key and what it runs. Each area of the window (folders,
// documents, the editor, search, maintenance, help) offers its handlers as
// a list of these; the main window binds them to the shared actions.
struct CommandBinding
{
    QString key;
    std::function<void()> run;
};

// Every folder, document and program command as one QAction named by its
// key, placed on the folder and document toolbars, in the menu bar and in
// the two pop-up menus alike. The main window connects them to the panes.
class Commands : public QObject
{
    Q_OBJECT
public:
    explicit Commands(QWidget *window);

    QAction *action(const QString &key) const;
    // Runs each binding's handler when its action is triggered and the
    // command is available; a failure becomes a notice instead of reaching
    // the event loop.
    void bind(const QList<CommandBinding> &bindings, Notices &notices);
    void setModeSource(const AppState *state) { m_state = state; }
    QStringList keys() const { return m_order; }
    // Enables each command as the availability table says for `mode`.
    void applyMode(CommandMode mode);

    // Fills the two command toolbars and the menu bar.
    void populate(QToolBar *folderBar, QToolBar *documentBar, QMenuBar *menuBar);
    // The "F&older" and "&Document" menus, which double as the pop-up menus
    // of the tree and the list.
    QMenu *folderMenu() const { return m_folderMenu; }
    QMenu *documentMenu() const { return m_documentMenu; }

    static const QStringList &folderToolbarKeys();
    static const QStringList &documentToolbarKeys();

private:
    QAction *make(const QString &key, const QString &text, const QString &toolTip);

    QWidget *m_window;
    QHash<QString, QAction *> m_actions;
    QStringList m_order;
    QMenu *m_folderMenu = nullptr;
    QMenu *m_documentMenu = nullptr;
    const AppState *m_state = nullptr;
};

} // namespace folio
