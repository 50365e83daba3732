#include "editor/spellchecker.h"

#include <hunspell.hxx>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QThread>

namespace folio {

namespace {

constexpr qsizetype MaxCachedWords = 200000;
// The dictionary rejects longer words anyway; asking it costs time.
constexpr qsizetype MaxWordLength = 100;

} // namespace

// One loaded dictionary and the conversion to its own character set.
class SpellChecker::Dictionary
{
public:
    explicit Dictionary(const DictionaryFile &file)
        : m_speller(QFile::encodeName(file.affixPath).constData(), QFile::encodeName(file.wordsPath).constData())
    {
        const QByteArray encoding = QByteArray::fromStdString(m_speller.get_dict_encoding());
        m_encoder = QStringEncoder(encoding.isEmpty() ? "ISO-8859-1" : encoding.constData());
        m_decoder = QStringDecoder(encoding.isEmpty() ? "ISO-8859-1" : encoding.constData());
    }

    bool usable() const { return m_encoder.isValid() && m_decoder.isValid(); }

    bool spell(const QString &word)
    {
        const std::optional<std::string> encoded = encode(word);
        return encoded && m_speller.spell(*encoded);
    }

    QStringList suggest(const QString &word)
    {
        QStringList result;
        const std::optional<std::string> encoded = encode(word);
        if (!encoded)
            return result;
        for (const std::string &s : m_speller.suggest(*encoded))
            result << m_decoder.decode(QByteArrayView(s.data(), qsizetype(s.size())));
        return result;
    }

private:
    // Nothing when the word has a character the dictionary's set lacks.
    std::optional<std::string> encode(const QString &word)
    {
        m_encoder.resetState();
        const QByteArray bytes = m_encoder.encode(word);
        if (m_encoder.hasError())
            return std::nullopt;
        return bytes.toStdString();
    }

    Hunspell m_speller;
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
};

QStringList dictionaryFolders()
{
    QStringList folders;
    const QString extra = qEnvironmentVariable("FOLIO_HUNSPELL_PATH");
    for (const QString &folder : extra.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << folder;
    folders << QStringLiteral("/usr/share/hunspell");
    return folders;
}

QList<DictionaryFile> findDictionaries(const QStringList &folders)
{
    QList<DictionaryFile> found;
    QSet<QString> names;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        for (const QFileInfo &dic : dir.entryInfoList({QStringLiteral("*.dic")}, QDir::Files, QDir::Name)) {
            const QString name = dic.completeBaseName();
            const QString affix = dir.filePath(name + QStringLiteral(".aff"));
            if (names.contains(name) || !QFileInfo(affix).isFile() || !dic.isReadable())
                continue;
            names.insert(name);
            found.append({name, affix, dic.filePath()});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const DictionaryFile &a, const DictionaryFile &b) { return a.name < b.name; });
    return found;
}

QString dictionaryDisplayName(const QString &name)
{
    const QLocale locale(name);
    if (locale.language() == QLocale::C)
        return name;
    QString text = QLocale::languageToString(locale.language());
    if (name.contains(QLatin1Char('_')) && locale.territory() != QLocale::AnyTerritory)
        text += QStringLiteral(" (%1)").arg(QLocale::territoryToString(locale.territory()));
    return text;
}

QStringList defaultDictionaries(const QList<DictionaryFile> &available, const QString &localeName)
{
    // The locale's own dictionary, else its language's main one ("de_DE"
    // for "de_AT"), else any of its language.
    auto find = [&](const QString &wanted) -> QString {
        const QString language = wanted.section(QLatin1Char('_'), 0, 0);
        const QStringList preferred = {wanted, language + QLatin1Char('_') + language.toUpper(), language};
        for (const QString &name : preferred) {
            for (const DictionaryFile &d : available) {
                if (d.name == name)
                    return d.name;
            }
        }
        for (const DictionaryFile &d : available) {
            if (d.name.startsWith(language + QLatin1Char('_')))
                return d.name;
        }
        return {};
    };
    for (const QString &wanted : {localeName, QStringLiteral("en_US")}) {
        const QString name = find(wanted);
        if (!name.isEmpty())
            return {name};
    }
    return {};
}

SpellChecker::SpellChecker(QList<DictionaryFile> available, QString personalListPath, QObject *parent)
    : QObject(parent)
    , m_available(std::move(available))
    , m_personalListPath(std::move(personalListPath))
{
    readPersonalList();
}

SpellChecker::~SpellChecker() = default;

void SpellChecker::setLanguages(const QStringList &names)
{
    m_dictionaries.clear();
    m_loaded = false;
    m_languages.clear();
    for (const QString &name : names) {
        for (const DictionaryFile &file : std::as_const(m_available)) {
            if (file.name == name && !m_languages.contains(name))
                m_languages << name;
        }
    }
    m_cache.clear();
    Q_EMIT changed();
}

void SpellChecker::load() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    // Read-only once loaded, so every checker of the program shares them.
    static QHash<QString, std::shared_ptr<Dictionary>> shared;
    for (const QString &name : m_languages) {
        for (const DictionaryFile &file : m_available) {
            if (file.name != name)
                continue;
            std::shared_ptr<Dictionary> dictionary = shared.value(file.affixPath);
            if (!dictionary) {
                dictionary = std::make_shared<Dictionary>(file);
                shared.insert(file.affixPath, dictionary);
            }
            if (dictionary->usable())
                m_dictionaries.push_back(dictionary);
        }
    }
}

bool SpellChecker::isAccepted(const QString &word) const
{
    if (m_accepted.contains(word) || m_acceptedCapitals.contains(word))
        return true;
    // "Paris" at the start of a sentence is "paris" accepted.
    if (!word.isEmpty() && word[0].isUpper()) {
        QString lower = word;
        lower[0] = lower[0].toLower();
        return m_accepted.contains(lower);
    }
    return false;
}

bool SpellChecker::isCorrect(const QString &word) const
{
    if (!isActive() || isAccepted(word))
        return true;
    if (word.size() > MaxWordLength)
        return false;
    const auto cached = m_cache.constFind(word);
    if (cached != m_cache.cend())
        return *cached;
    load();
    bool correct = m_dictionaries.empty();  // none readable: nothing is marked
    for (const auto &dictionary : m_dictionaries) {
        if (dictionary->spell(word)) {
            correct = true;
            break;
        }
    }
    if (m_cache.size() >= MaxCachedWords)
        m_cache.clear();
    m_cache.insert(word, correct);
    return correct;
}

QList<WordSpan> SpellChecker::misspeltWords(const QString &text) const
{
    QList<WordSpan> result;
    if (!isActive())
        return result;
    for (const WordSpan &w : checkableWords(text)) {
        if (!isCorrect(text.mid(w.start, w.length)))
            result.append(w);
    }
    return result;
}

QStringList SpellChecker::suggestions(const QString &word) const
{
    QStringList result;
    if (word.size() > MaxWordLength)
        return result;
    load();
    for (const auto &dictionary : m_dictionaries) {
        for (const QString &s : dictionary->suggest(word)) {
            if (!result.contains(s))
                result << s;
            if (result.size() == MaxSuggestions)
                return result;
        }
    }
    return result;
}

void SpellChecker::accept(const QString &word)
{
    m_accepted.insert(word);
    m_acceptedCapitals.insert(word.toUpper());
    m_cache.clear();
}

bool SpellChecker::addToPersonalList(const QString &word)
{
    const QString clean = word.trimmed();
    if (clean.isEmpty() || clean.contains(QLatin1Char('\n')))
        return false;
    accept(clean);
    Q_EMIT changed();
    // Written whole through a temporary file: a full disk never leaves the
    // list cut short.
    QByteArray content;
    QFile old(m_personalListPath);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly)) {
            m_error = old.errorString();
            return false;
        }
        content = old.readAll();
        if (!content.isEmpty() && !content.endsWith('\n'))
            content += '\n';
    }
    content += clean.toUtf8() + '\n';
    QSaveFile file(m_personalListPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        m_error = file.errorString();
        return false;
    }
    m_error.clear();
    return true;
}

void SpellChecker::ignoreAll(const QString &word)
{
    accept(word);
    Q_EMIT changed();
}

void SpellChecker::readPersonalList()
{
    QFile file(m_personalListPath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString word = line.trimmed();
        if (!word.isEmpty())
            accept(word);
    }
}

} // namespace folio
