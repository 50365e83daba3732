#pragma once

#include "widgets/commands.h"

class QAction;

namespace folio {

class Notices;

// "Dark Colours": a check mark in the Options menu that turns the
// program's dark palette on where the desktop gives none, kept in the
// settings (key DARKCOLOURS) and applied again at the next start.
class ColourOptions
{
public:
    ColourOptions(QString programDir, QAction *action, Notices &notices);
    QList<CommandBinding> bindings();
    void setDark(bool on);

private:
    QString m_programDir;
    QAction *m_action;
    Notices &m_notices;
};

} // namespace folio
