#include "session/settings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QtDebug>
#include <optional>

namespace folio {

namespace {

const QString SectionKey = QStringLiteral("CONFIG");
const QString VersionKey = QStringLiteral("VERSION");
const QString HistoryShareKey = QStringLiteral("HISTORYSHARE");
const QString SpellingKey = QStringLiteral("SPELLING");
const QString NoSpelling = QStringLiteral("-");
const QString DarkColoursKey = QStringLiteral("DARKCOLOURS");
constexpr int MaxValueLength = 254;  // what a 255-character buffer holds
// A list of dictionary names is longer than a version.
constexpr int MaxSpellingLength = 3000;

// Reads a three-character group the lenient way: leading blanks skipped,
// reading stops at the first non-digit, no digits give 0.
int readGroup(QStringView group)
{
    int i = 0;
    while (i < group.size() && group[i] == QLatin1Char(' '))
        ++i;
    int value = 0;
    for (; i < group.size() && group[i].isDigit() && group[i].unicode() < 128; ++i)
        value = value * 10 + (group[i].unicode() - '0');
    return value;
}

bool isSectionLine(const QString &line, QString *name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

// Index of the line holding `key` inside `section`, or -1; `sectionAt` gets
// the index of the section header (or -1) and `sectionEnd` the index after
// its last line.
int findKey(const QStringList &lines, const QString &section, const QString &key,
            int *sectionAt, int *sectionEnd)
{
    *sectionAt = -1;
    *sectionEnd = lines.size();
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (isSectionLine(lines[i], &name)) {
            if (*sectionAt >= 0) {
                *sectionEnd = i;
                return -1;
            }
            if (name.compare(section, Qt::CaseInsensitive) == 0)
                *sectionAt = i;
            continue;
        }
        if (*sectionAt < 0)
            continue;
        const int eq = lines[i].indexOf(QLatin1Char('='));
        if (eq > 0 && lines[i].left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Larger files are not settings files of ours: they are neither read nor
// rewritten, so no byte of them is lost.
constexpr qint64 MaxFileSize = 16 << 20;

// The file as lines of 8-bit text (Latin-1 maps every byte to one character
// and back, so untouched lines are written back byte for byte, a trailing
// carriage return included). Nothing when the file is missing, unreadable
// or too large; `tooLarge` tells the last apart.
std::optional<QStringList> readLines(const QString &path, bool *tooLarge = nullptr)
{
    QFile file(path);
    if (tooLarge)
        *tooLarge = file.size() > MaxFileSize;
    if (file.size() > MaxFileSize || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
}

} // namespace

QString scrambleSetting(const QString &plain)
{
    QString result;
    result.reserve(plain.size() * 3);
    for (int i = 0; i < plain.size(); ++i) {
        const int code = plain[i].unicode();
        if (code > 255)
            continue;  // no 8-bit code: skipped
        const int position = i + 1;
        result += QString::number(code + position % 10 + 500);
    }
    return result;
}

QString unscrambleSetting(const QString &encoded)
{
    QString result;
    const int groups = encoded.size() / 3;
    for (int j = 1; j <= groups; ++j) {
        const int c = readGroup(QStringView(encoded).mid((j - 1) * 3, 3)) - 500 - j % 10;
        if (c >= 0 && c <= 255)
            result += QChar(c);
    }
    return result;
}

QString SettingsFile::path() const
{
    return QDir(m_programDir).filePath(SettingsFileName);
}

QString SettingsFile::readValue(const QString &key, const QString &defaultValue, int maxLength) const
{
    const QStringList lines = readLines(path()).value_or(QStringList());
    int sectionAt = -1, sectionEnd = 0;
    const int at = findKey(lines, scrambleSetting(SectionKey), scrambleSetting(key), &sectionAt, &sectionEnd);
    if (at < 0)
        return defaultValue;
    const QString &line = lines[at];
    const QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed().left(maxLength);
    const QString decoded = unscrambleSetting(value);
    // An empty or undecodable value counts as missing.
    return decoded.isEmpty() ? defaultValue : decoded;
}

QString SettingsFile::readVersion(const QString &defaultVersion) const
{
    return readValue(VersionKey, defaultVersion, MaxValueLength);
}

int SettingsFile::readHistoryShare(int defaultShare) const
{
    bool ok = false;
    const int share = readValue(HistoryShareKey, QString(), MaxValueLength).trimmed().toInt(&ok);
    return ok && share >= 1 && share <= 100 ? share : defaultShare;
}

bool SettingsFile::writeVersion(const QString &version) const
{
    return writeValue(VersionKey, version);
}

std::optional<QStringList> SettingsFile::readSpellingLanguages() const
{
    const QString value = readValue(SpellingKey, QString(), MaxSpellingLength);
    if (value.isEmpty())
        return std::nullopt;
    if (value == NoSpelling)
        return QStringList();
    return value.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

bool SettingsFile::writeSpellingLanguages(const QStringList &names) const
{
    return writeValue(SpellingKey, names.isEmpty() ? NoSpelling : names.join(QLatin1Char(',')));
}

bool SettingsFile::readDarkColours() const
{
    return readValue(DarkColoursKey, QStringLiteral("0"), MaxValueLength).trimmed() == QLatin1String("1");
}

bool SettingsFile::writeDarkColours(bool on) const
{
    return writeValue(DarkColoursKey, on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool SettingsFile::writeValue(const QString &key, const QString &value) const
{
    bool tooLarge = false;
    QStringList lines = readLines(path(), &tooLarge).value_or(QStringList{QString()});
    if (tooLarge) {
        qWarning().noquote() << "Folio Keeper:" << path()
                             << "is too large to be a settings file; it was left unchanged.";
        return false;
    }
    const QString section = scrambleSetting(SectionKey);
    const QString entry = scrambleSetting(key) + QLatin1Char('=') + scrambleSetting(value);
    int sectionAt = -1, sectionEnd = 0;
    const int at = findKey(lines, section, scrambleSetting(key), &sectionAt, &sectionEnd);
    // The text after the last line break is the last element: empty when
    // the file ends with a line break (or is new). A line added ends with one.
    if (at < 0 && !lines.last().isEmpty())
        lines.append(QString());
    if (at >= 0)
        lines[at] = entry + (lines[at].endsWith(QLatin1Char('\r')) ? QStringLiteral("\r") : QString());
    else if (sectionAt >= 0)
        lines.insert(qMin(sectionEnd, int(lines.size()) - 1), entry);
    else
        lines.insert(lines.size() - 1, QLatin1Char('[') + section + QLatin1Char(']') + QLatin1Char('\n') + entry);

    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(lines.join(QLatin1Char('\n')).toLatin1());
    return file.commit();
}

} // namespace folio
