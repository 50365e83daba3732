#pragma once

#include "session/appstate.h"

#include <QString>

namespace folio {

// The one table of what each command may do in each mode. The toolbar
// buttons, the menus, the pop-up menus and the shortcuts are all the same
// QAction, enabled by this table; the handlers check it too, so a command
// never acts where the table says it may not.
//
// In edit mode no command acts on the document list (it is hidden, and its
// selection is not what the user is working on): Revise, Delete and Export
// wait for browse mode. Add Document, Find, Print and the history windows
// stay, and anything that would replace the pane asks the pane to leave
// its edit first. While
// words kept by an earlier run wait for an answer, no edit begins and
// the file is not replaced (the words name rows of this file). While
// maintenance works on the file (busy) only help, the version check and
// printing remain.
bool commandAvailable(const QString &key, CommandMode mode);

} // namespace folio
