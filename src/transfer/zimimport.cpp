// Reading a Zim notebook: first a walk over the folders that finds the pages
// without reading them (so progress can be told), then each page read and
// converted.

#include "transfer/zimimport.h"
#include "transfer/zimwikitext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <optional>

namespace folio {
namespace {

constexpr qint64 MaxPageBytes = 50LL * 1024 * 1024;
constexpr int MaxFolderDepth = 64; // deeper is a link loop or a hostile tree

// A page or a folder of sub-pages found on disk, before any page is read.
struct ScanEntry
{
    QString name;     // as the wiki shows it: underscores as blanks
    QString pageFile; // "Foo.txt"; empty for a folder without a page
    QString ownFolder; // "Foo": the sub-pages and the page's attachments
    QList<ScanEntry> children;
};

struct Walk
{
    QDir root;
    ImportLog &log;
    QSet<QString> seenFolders;
    int pageCount = 0;
    int pagesRead = 0;

    QString item(const QString &path) const { return root.relativeFilePath(path); }
};

// File names hold a page name with blanks as underscores and characters a
// file name cannot hold percent-encoded; a lone "%" stays as it is.
QString pageNameFromFile(const QString &base)
{
    const QByteArray bytes = base.toUtf8();
    auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    QByteArray name;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size() && isHex(bytes[i + 1]) && isHex(bytes[i + 2])) {
            name += QByteArray::fromHex(bytes.mid(i + 1, 2));
            i += 2;
        } else {
            name += bytes[i] == '_' ? ' ' : bytes[i];
        }
    }
    return QString::fromUtf8(name);
}

QList<ScanEntry> scanFolder(Walk &walk, const QString &path, int depth);

ScanEntry scanEntry(Walk &walk, const QDir &dir, const QString &base, const QSet<QString> &pages,
                    const QSet<QString> &folders, int depth)
{
    ScanEntry entry;
    entry.name = pageNameFromFile(base);
    entry.ownFolder = dir.filePath(base);
    if (pages.contains(base))
        entry.pageFile = dir.filePath(base + QStringLiteral(".txt"));
    if (folders.contains(base))
        entry.children = scanFolder(walk, entry.ownFolder, depth + 1);
    return entry;
}

// Pages and sub-folders of one folder, sorted by name. Hidden entries (the
// ".zim" cache among them) are left out; other files are attachments.
QList<ScanEntry> scanFolder(Walk &walk, const QString &path, int depth)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (walk.seenFolders.contains(canonical)) {
        walk.log.skip(walk.item(path), QStringLiteral("a link leads to a folder already read"));
        return {};
    }
    if (depth > MaxFolderDepth || !info.isReadable() || !info.isExecutable()) {
        walk.log.skip(walk.item(path), depth > MaxFolderDepth ? QStringLiteral("folders nested too deeply")
                                                              : QStringLiteral("the folder could not be read"));
        return {};
    }
    walk.seenFolders.insert(canonical);
    const QDir dir(path);
    QSet<QString> pages, folders;
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (file.isDir())
            folders.insert(file.fileName());
        else if (file.fileName().endsWith(QLatin1String(".txt")) && file.fileName().size() > 4)
            pages.insert(file.fileName().chopped(4));
    }
    QStringList bases = (pages + folders).values();
    std::sort(bases.begin(), bases.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QList<ScanEntry> entries;
    for (const QString &base : bases) {
        ScanEntry entry = scanEntry(walk, dir, base, pages, folders, depth);
        // A folder without pages in it holds attachments only.
        if (entry.pageFile.isEmpty() && entry.children.isEmpty())
            continue;
        walk.pageCount += entry.pageFile.isEmpty() ? 0 : 1;
        entries.append(std::move(entry));
    }
    return entries;
}

std::optional<ImportedDocument> readPage(Walk &walk, const ScanEntry &entry)
{
    const QString item = walk.item(entry.pageFile);
    walk.log.progress(walk.pageCount ? 100 * walk.pagesRead++ / walk.pageCount : 100);
    QFile file(entry.pageFile);
    if (file.size() > MaxPageBytes) {
        walk.log.skip(item, QStringLiteral("too large (over 50 MB)"));
        return std::nullopt;
    }
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (file.error() != QFileDevice::NoError) {
        walk.log.skip(item, QStringLiteral("the page could not be read: %1").arg(file.errorString()));
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    ZimPageContext ctx{walk.log, item, QDir(entry.ownFolder)};
    if (decoder.hasError())
        walk.log.skip(item, QStringLiteral("characters that are not UTF-8 were replaced"));
    return zimPageDocument(text, entry.name, ctx);
}

// A page with sub-pages becomes a folder holding the page and them.
void convertEntries(Walk &walk, const QList<ScanEntry> &entries, ImportedFolder &into)
{
    for (const ScanEntry &entry : entries) {
        if (walk.log.cancelled())
            return;
        const auto page = entry.pageFile.isEmpty() ? std::nullopt : readPage(walk, entry);
        if (entry.children.isEmpty()) {
            if (page)
                into.documents.append(*page);
            continue;
        }
        ImportedFolder folder;
        folder.name = entry.name;
        if (page)
            folder.documents.append(*page);
        convertEntries(walk, entry.children, folder);
        into.folders.append(std::move(folder));
    }
}

// The name in the "[Notebook]" section of notebook.zim, or "".
QString notebookName(const QString &configFile)
{
    QFile file(configFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inNotebook = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(64 * 1024)).trimmed();
        if (line.startsWith(u'['))
            inNotebook = line == QLatin1String("[Notebook]");
        else if (inNotebook && line.startsWith(QLatin1String("name=")))
            return line.mid(5).trimmed();
    }
    return {};
}

} // namespace

ImportedFolder readZimNotebook(const QString &notebookFolder, ImportLog &log)
{
    if (!QFileInfo(notebookFolder).isDir()) {
        throw ImportFailure{QStringLiteral("The folder \"%1\" does not exist, so there is no Zim notebook to read.")
                                .arg(QDir::toNativeSeparators(notebookFolder))};
    }
    const QDir root(QFileInfo(notebookFolder).absoluteFilePath());
    const QString config = root.filePath(QStringLiteral("notebook.zim"));
    if (!QFileInfo(config).isFile()) {
        throw ImportFailure{QStringLiteral("The folder \"%1\" is not a Zim notebook: it has no notebook.zim file.")
                                .arg(QDir::toNativeSeparators(notebookFolder))};
    }
    ImportedFolder notebook;
    notebook.name = notebookName(config);
    if (notebook.name.isEmpty())
        notebook.name = root.dirName().isEmpty() ? QStringLiteral("Zim notebook") : root.dirName();
    Walk walk{root, log, {}};
    const QList<ScanEntry> entries = scanFolder(walk, root.absolutePath(), 0);
    convertEntries(walk, entries, notebook);
    log.progress(100);
    return notebook;
}

} // namespace folio
