#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace folio {

// Settings are stored as groups of three decimal digits per character:
// code + (position mod 10) + 500, position counted from 1. Characters
// outside the 8-bit range cannot be stored and are skipped.
QString scrambleSetting(const QString &plain);
// The reverse; a trailing partial group is ignored and a group that does not
// decode to an 8-bit code produces no character.
QString unscrambleSetting(const QString &encoded);

inline const QString SettingsFileName = QStringLiteral("foliok.ini");

// foliok.ini in the program folder: one section with the version that first
// wrote the file, and optionally the history's share of the base.
class SettingsFile
{
public:
    explicit SettingsFile(QString programDir) : m_programDir(std::move(programDir)) {}

    // The stored version, or `defaultVersion` when the file, the key or a
    // readable value is missing.
    QString readVersion(const QString &defaultVersion) const;
    // The share of the knowledge base (1 to 100 percent) that the document
    // history may take (key HISTORYSHARE, only read: a user who wants
    // another share writes it); `defaultShare` when missing or not a
    // number in that range.
    int readHistoryShare(int defaultShare) const;
    // Writes the version, keeping any other lines of the file. Returns false
    // when the file cannot be written (the caller carries on).
    bool writeVersion(const QString &version) const;
    // The spelling dictionaries the user chose (key SPELLING; an empty list
    // when the user chose none), or nothing when never chosen.
    std::optional<QStringList> readSpellingLanguages() const;
    bool writeSpellingLanguages(const QStringList &names) const;
    // "Dark Colours" (key DARKCOLOURS, 1 or 0); false when never chosen.
    bool readDarkColours() const;
    bool writeDarkColours(bool on) const;

    QString path() const;

private:
    QString readValue(const QString &key, const QString &defaultValue, int maxLength) const;
    bool writeValue(const QString &key, const QString &value) const;

    QString m_programDir;
};

} // namespace folio
