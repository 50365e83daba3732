#include "editor/spellingoptions.h"

#include "editor/spellchecker.h"
#include "editor/spellingdialog.h"
#include "session/settings.h"

#include <QDir>
#include <QLocale>

namespace folio {

SpellingOptions::SpellingOptions(const QString &programDir, QObject *parent)
    : QObject(parent)
    , m_programDir(programDir)
    , m_checker(new SpellChecker(findDictionaries(dictionaryFolders()),
                                 QDir(programDir).filePath(PersonalListName), this))
{
    const std::optional<QStringList> stored = SettingsFile(programDir).readSpellingLanguages();
    m_checker->setLanguages(stored ? *stored : defaultDictionaries(m_checker->available(), QLocale::system().name()));
}

SpellingDialog *SpellingOptions::showLanguagesDialog(QWidget *window)
{
    if (!m_dialog) {
        // Dictionaries installed since the start are offered too.
        m_dialog = new SpellingDialog(findDictionaries(dictionaryFolders()), m_checker->languages(), window);
        connect(m_dialog, &SpellingDialog::chosen, this, &SpellingOptions::choose);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    return m_dialog;
}

void SpellingOptions::choose(const QStringList &names)
{
    m_checker->setAvailable(findDictionaries(dictionaryFolders()));
    m_checker->setLanguages(names);
    if (!SettingsFile(m_programDir).writeSpellingLanguages(names))
        Q_EMIT settingsFailed(QStringLiteral("The spelling languages could not be kept in %1: they apply until "
                                             "Folio Keeper ends.")
                                  .arg(SettingsFile(m_programDir).path()));
}

} // namespace folio
