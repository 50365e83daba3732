#include "app/colouroptions.h"

#include "session/settings.h"
#include "widgets/colourscheme.h"
#include "widgets/notices.h"

#include <QAction>

namespace folio {

ColourOptions::ColourOptions(QString programDir, QAction *action, Notices &notices)
    : m_programDir(std::move(programDir))
    , m_action(action)
    , m_notices(notices)
{
    m_action->setCheckable(true);
    const bool dark = SettingsFile(m_programDir).readDarkColours();
    m_action->setChecked(dark);
    applyDarkColours(dark);
}

QList<CommandBinding> ColourOptions::bindings()
{
    // The action has already flipped its check mark when the binding runs.
    return {{QStringLiteral("MnuDarkColours"), [this] { setDark(m_action->isChecked()); }}};
}

void ColourOptions::setDark(bool on)
{
    m_action->setChecked(on);
    applyDarkColours(on);
    if (!SettingsFile(m_programDir).writeDarkColours(on))
        m_notices.failure(QStringLiteral("The colour choice could not be kept: %1 cannot be written.")
                              .arg(SettingsFile(m_programDir).path()));
}

} // namespace folio
