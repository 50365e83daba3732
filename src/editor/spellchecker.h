#pragma once

#include "editor/spellwords.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>
#include <vector>

namespace folio {

// An installed spelling dictionary: a word list (.dic) with its affix file
// (.aff), named by its file name ("en_US").
struct DictionaryFile
{
    QString name;
    QString affixPath;
    QString wordsPath;
};

// The folders searched for dictionaries: those in FOLIO_HUNSPELL_PATH
// (separated by colons), then the system's.
QStringList dictionaryFolders();
// The dictionaries in `folders`, sorted by name; a name found twice is
// taken from the first folder.
QList<DictionaryFile> findDictionaries(const QStringList &folders);
// The name a person reads for a dictionary: "English (United States)".
QString dictionaryDisplayName(const QString &name);
// The dictionaries chosen when the user has not chosen: the one of
// `localeName` ("de_DE", else any of its language), else English.
QStringList defaultDictionaries(const QList<DictionaryFile> &available, const QString &localeName);

// Spell checks words against several dictionaries at once: a word is right
// when any of them accepts it. Words the user added to the personal word
// list (a UTF-8 text file, one word a line) are right in every language and
// at every start; words ignored are right until the program ends.
class SpellChecker : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxSuggestions = 7;

    // `personalListPath`: the personal word list, created when the first
    // word is added.
    SpellChecker(QList<DictionaryFile> available, QString personalListPath, QObject *parent = nullptr);
    ~SpellChecker() override;

    const QList<DictionaryFile> &available() const { return m_available; }
    // The dictionaries installed now; takes effect with setLanguages().
    void setAvailable(QList<DictionaryFile> available) { m_available = std::move(available); }
    // The names of the dictionaries in use; names not installed are left out.
    QStringList languages() const { return m_languages; }
    void setLanguages(const QStringList &names);
    // False when no dictionary is in use: nothing is checked then.
    bool isActive() const { return !m_languages.isEmpty(); }

    bool isCorrect(const QString &word) const;
    // The checked words of `text` that no dictionary in use accepts.
    QList<WordSpan> misspeltWords(const QString &text) const;
    // Up to MaxSuggestions replacements, the first dictionary's first.
    QStringList suggestions(const QString &word) const;
    // Adds the word to the personal word list; false (with errorString())
    // when the list cannot be written, in which case the word is still
    // accepted until the program ends.
    bool addToPersonalList(const QString &word);
    void ignoreAll(const QString &word);
    QString errorString() const { return m_error; }
    QString personalListPath() const { return m_personalListPath; }

Q_SIGNALS:
    // The same word may now be judged otherwise: checked text must be
    // checked again.
    void changed();

private:
    class Dictionary;

    void readPersonalList();
    void accept(const QString &word);
    bool isAccepted(const QString &word) const;
    // Dictionaries are read when first needed, and once per program: a
    // pane that never edits never pays for them.
    void load() const;

    QList<DictionaryFile> m_available;
    QString m_personalListPath;
    QStringList m_languages;
    mutable std::vector<std::shared_ptr<Dictionary>> m_dictionaries;
    mutable bool m_loaded = false;
    QSet<QString> m_accepted;  // personal and ignored words
    QSet<QString> m_acceptedCapitals;  // the same in capitals
    mutable QHash<QString, bool> m_cache;
    QString m_error;
};

} // namespace folio
