#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace folio {

// The version file on the maker's site: the key "Foliok", then the
// published version in the running version's own form (02.00.04);
// anything after that is ignored.
inline constexpr const char *VersionFileKey = "Foliok";

// The file's bytes as text, one character per byte.
QString versionFileText(const QByteArray &bytes);
// The published version the text names: the (up to) eight characters after
// the key. Nothing when the text is shorter than 13 characters or does not
// start with the key exactly (case counts).
std::optional<QString> publishedVersion(const QString &text);
// Both versions are zero-padded to the same width, so comparing them as
// plain text orders them as numbers; an equal version is not newer.
bool isNewerVersion(const QString &published, const QString &running);

} // namespace folio
