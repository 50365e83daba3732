#include "transfer/exportnames.h"

#include "storage/htmlexport.h"

namespace folio {

namespace {

constexpr int NameMax = 255;

// The stem the export naming rule gives a title, without its ".htm".
QString stemFor(const QString &title)
{
    QString stem = exportFileName(title);
    stem.chop(4);
    const QString trimmed = stem.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("Untitled");
    // "." and ".." name the folder itself and its parent; a leading dot hides the file.
    if (trimmed.startsWith(QLatin1Char('.')))
        return QLatin1Char('_') + stem;
    return stem;
}

// Cuts `stem` so that it and `tail` fit in a name, never inside a character.
QString fitted(const QString &stem, const QString &tail)
{
    const int room = NameMax - int(tail.toUtf8().size());
    QString out;
    int bytes = 0;
    for (const uint c : stem.toUcs4()) {
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes > room)
            break;
        out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
    }
    return out + tail;
}

} // namespace

QString ExportNames::unique(const QString &stem, const QString &suffix)
{
    QString name = fitted(stem, suffix);
    for (int n = 2; m_taken.contains(name.toCaseFolded()); ++n)
        name = fitted(stem, QStringLiteral(" (%1)%2").arg(n).arg(suffix));
    m_taken.insert(name.toCaseFolded());
    return name;
}

QString ExportNames::fileFor(const QString &title, const QString &suffix)
{
    return unique(stemFor(title), suffix);
}

QString ExportNames::folderFor(const QString &name)
{
    return unique(stemFor(name), QString());
}

} // namespace folio
