#pragma once

#include "storage/types.h"

#include <QString>
#include <optional>

namespace folio {

// An edit that was not saved when the program had to end: what the user had
// written and where it belonged (document 0: a new document for the folder).
struct RecoveredEdit
{
    DirNum dir = 0;
    DocNum doc = 0;
    QString title;
    QString html;
};

// foliok.recovery beside the database: kept up to date while an edit has
// unsaved words and written once more when the program is ended by a
// signal, offered back at the next start, removed once the words are saved
// or let go. Each write replaces the file in one step.
class RecoveryFile
{
public:
    explicit RecoveryFile(QString programDir) : m_programDir(std::move(programDir)) {}

    static QString fileName() { return QStringLiteral("foliok.recovery"); }
    QString path() const;
    bool exists() const;
    // The file holds words to offer (an emptied file holds none).
    bool isPending() const;
    // Writes the edit to disk under a temporary name and renames it into
    // place, so the file is whole or absent. Throws StorageError.
    void write(const RecoveredEdit &edit) const;
    // Nothing when the file is missing or cannot be read as a recovery file.
    std::optional<RecoveredEdit> read() const;
    // The words are saved or let go: the file goes. Where the folder does
    // not let it go, it is emptied instead, so that it is not offered
    // again. Throws StorageError when neither can be done.
    void discard() const;

private:
    QString m_programDir;
};

} // namespace folio
