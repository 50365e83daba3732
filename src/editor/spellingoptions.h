#pragma once

#include <QObject>
#include <QPointer>

namespace folio {

class SpellChecker;
class SpellingDialog;

// The spell checker of the program with the user's choices: the languages
// kept in the settings file (by default the locale's dictionary, else
// English) and the personal word list foliok.words, both in the program
// folder.
class SpellingOptions : public QObject
{
    Q_OBJECT
public:
    static inline const QString PersonalListName = QStringLiteral("foliok.words");

    explicit SpellingOptions(const QString &programDir, QObject *parent = nullptr);

    SpellChecker &checker() const { return *m_checker; }
    // "Spelling Languages..." (frmSpelling); one at a time.
    SpellingDialog *showLanguagesDialog(QWidget *window);

Q_SIGNALS:
    // The choice could not be kept in the settings file.
    void settingsFailed(const QString &text);

private:
    void choose(const QStringList &names);

    QString m_programDir;
    SpellChecker *m_checker;
    QPointer<SpellingDialog> m_dialog;
};

} // namespace folio
