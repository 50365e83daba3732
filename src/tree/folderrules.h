#pragma once

#include <QString>

namespace folio {

// The name a new folder starts with, and the longest name a folder keeps.
inline const QString NewFolderName = QStringLiteral("New Folder");
constexpr int MaxFolderNameLength = 250;

// What becomes of a folder's label when its in-place edit ends with `typed`.
struct LabelEditDecision
{
    bool store = false;     // false: the label keeps what it showed before
    QString name;           // the name to store and show
    bool cut = false;       // the typed text was too long and was cut
};

// An empty text cancels the edit. A text over the limit is cut to it
// (never in the middle of a character that takes two code units).
LabelEditDecision decideLabelEdit(const QString &typed);

} // namespace folio
