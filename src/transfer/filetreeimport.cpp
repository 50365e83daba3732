#include "transfer/filetreeimport.h"

#include "transfer/importtext.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace folio {

namespace {

constexpr qint64 MaxFileBytes = 50LL * 1024 * 1024;
constexpr qsizetype PathMaxBytes = 4096; // the system's limits, terminating NUL included
constexpr qsizetype NameMaxBytes = 255;
constexpr int MaxDepth = 256;

enum class FileKind { Html, Markdown, Text, Other };

FileKind kindOf(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == u"html" || suffix == u"htm")
        return FileKind::Html;
    if (suffix == u"md" || suffix == u"markdown")
        return FileKind::Markdown;
    if (suffix == u"txt")
        return FileKind::Text;
    return FileKind::Other;
}

struct PlannedFile
{
    QString path; // as reached through the tree, for resolving relative pictures
    QString relative; // the name shown in reports
    FileKind kind;
};

// The tree as walked, before any file is read: knowing the number of files
// up front gives honest progress.
struct PlannedFolder
{
    QString name;
    QList<PlannedFile> files;
    QList<PlannedFolder> folders;
};

bool isInside(const QString &canonical, const QString &root)
{
    return canonical == root || canonical.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

QString childPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString megabytes(qint64 bytes)
{
    return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

// Walks the folders: order, hidden entries, links, loops and path limits.
class TreeWalker
{
public:
    TreeWalker(const QString &canonicalRoot, ImportLog &log) : m_root(canonicalRoot), m_log(log)
    {
        m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    }

    int fileCount() const { return m_fileCount; }

    void walk(const QString &path, const QString &canonical, const QString &relative, int depth,
              PlannedFolder &into)
    {
        m_visited.insert(canonical);
        QFileInfoList entries = QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                                         QDir::Unsorted);
        std::sort(entries.begin(), entries.end(), [this](const QFileInfo &a, const QFileInfo &b) {
            const int order = naturalCompare(a.fileName(), b.fileName());
            return order != 0 ? order < 0 : a.fileName() < b.fileName();
        });
        for (const QFileInfo &entry : entries) {
            if (m_log.cancelled())
                return;
            const QString name = entry.fileName();
            const QString item = relative.isEmpty() ? name : relative + u'/' + name;
            if (name.startsWith(u'.') || !admitted(entry, item))
                continue;
            if (entry.isDir())
                walkFolder(entry, canonical, item, depth, into);
            else if (entry.isFile() && kindOf(name) != FileKind::Other)
                addFile(entry, item, into);
            else if (kindOf(name) != FileKind::Other)
                m_log.skip(item, QStringLiteral("not a regular file"));
        }
    }

private:
    // Names the way a person orders them: letters case-insensitively by the
    // locale, runs of digits by their value ("2" before "10").
    int naturalCompare(QStringView a, QStringView b) const
    {
        qsizetype i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            const bool digits = a[i].isDigit();
            if (digits != b[j].isDigit())
                return m_collator.compare(a.mid(i), b.mid(j));
            qsizetype iEnd = i, jEnd = j;
            while (iEnd < a.size() && a[iEnd].isDigit() == digits)
                ++iEnd;
            while (jEnd < b.size() && b[jEnd].isDigit() == digits)
                ++jEnd;
            const int order = digits ? compareNumbers(a.mid(i, iEnd - i), b.mid(j, jEnd - j))
                                     : m_collator.compare(a.mid(i, iEnd - i), b.mid(j, jEnd - j));
            if (order != 0)
                return order;
            i = iEnd;
            j = jEnd;
        }
        return int(a.size() - i) - int(b.size() - j);
    }

    static int compareNumbers(QStringView a, QStringView b)
    {
        while (a.size() > 1 && a.front() == u'0')
            a = a.mid(1);
        while (b.size() > 1 && b.front() == u'0')
            b = b.mid(1);
        if (a.size() != b.size())
            return a.size() < b.size() ? -1 : 1;
        return a.compare(b);
    }

    bool reportable(const QFileInfo &entry) const { return entry.isDir() || kindOf(entry.fileName()) != FileKind::Other; }

    // Too long for the system to open, or a link leading nowhere or out of
    // the chosen folder: reported (for folders and documents) and passed over.
    bool admitted(const QFileInfo &entry, const QString &item)
    {
        const qsizetype pathBytes = QFile::encodeName(entry.absoluteFilePath()).size();
        if (pathBytes >= PathMaxBytes || QFile::encodeName(entry.fileName()).size() > NameMaxBytes) {
            if (reportable(entry))
                m_log.skip(item, QStringLiteral("the path is longer than the system allows (%1 bytes)").arg(pathBytes));
            return false;
        }
        if (!entry.isSymLink())
            return true;
        const QString target = entry.canonicalFilePath();
        QString reason;
        if (target.isEmpty())
            reason = QStringLiteral("a link to something that does not exist");
        else if (!isInside(target, m_root))
            reason = QStringLiteral("a link leading out of the imported folder, not followed");
        if (!reason.isEmpty() && reportable(entry))
            m_log.skip(item, reason);
        return reason.isEmpty();
    }

    void walkFolder(const QFileInfo &entry, const QString &parentCanonical, const QString &item, int depth,
                    PlannedFolder &into)
    {
        const QString canonical = entry.isSymLink() ? entry.canonicalFilePath()
                                                    : childPath(parentCanonical, entry.fileName());
        if (m_visited.contains(canonical)) {
            const bool loop = isInside(parentCanonical, canonical);
            m_log.skip(item, loop ? QStringLiteral("a link back to a folder that contains it (a loop), not followed")
                                  : QStringLiteral("the same folder was already imported through another path"));
            return;
        }
        if (depth >= MaxDepth) {
            m_log.skip(item, QStringLiteral("folders nested more than %1 levels deep").arg(MaxDepth));
            return;
        }
        if (!entry.isReadable() || !entry.isExecutable()) {
            m_log.skip(item, QStringLiteral("the folder cannot be read (permission denied)"));
            return;
        }
        PlannedFolder folder{entry.fileName(), {}, {}};
        walk(entry.absoluteFilePath(), canonical, item, depth + 1, folder);
        into.folders.append(std::move(folder));
    }

    void addFile(const QFileInfo &entry, const QString &item, PlannedFolder &into)
    {
        into.files.append({entry.absoluteFilePath(), item, kindOf(entry.fileName())});
        ++m_fileCount;
    }

    QString m_root;
    ImportLog &m_log;
    QCollator m_collator;
    QSet<QString> m_visited;
    int m_fileCount = 0;
};

// Reads and converts the planned files.
class DocumentReader
{
public:
    DocumentReader(const QString &canonicalRoot, int fileCount, ImportLog &log)
        : m_root(canonicalRoot), m_fileCount(fileCount), m_log(log)
    {
    }

    void read(const PlannedFolder &plan, ImportedFolder &into)
    {
        into.name = plan.name;
        for (const PlannedFile &file : plan.files) {
            if (m_log.cancelled())
                return;
            readDocument(file, into);
            ++m_done;
            if (m_done % 50 == 0)
                m_log.progress(5 + int(qint64(m_done) * 95 / qMax(1, m_fileCount)));
        }
        for (const PlannedFolder &child : plan.folders) {
            if (m_log.cancelled())
                return;
            ImportedFolder folder;
            read(child, folder);
            into.folders.append(std::move(folder));
        }
    }

private:
    // The whole file, or nothing (and a report) when it is too large or
    // cannot be read.
    bool readBytes(const QString &path, const QString &item, QByteArray *bytes)
    {
        const QFileInfo info(path);
        if (info.size() > MaxFileBytes) {
            m_log.skip(item, QStringLiteral("too large (%1 MB)").arg(megabytes(info.size())));
            return false;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_log.skip(item, QStringLiteral("cannot be read (%1)").arg(file.errorString()));
            return false;
        }
        // Read whole, not into a buffer of the largest size allowed: that
        // would reserve 50 MB for every small file.
        *bytes = file.readAll();
        if (file.error() != QFileDevice::NoError || bytes->size() > MaxFileBytes) {
            m_log.skip(item, QStringLiteral("cannot be read (%1)").arg(file.error() != QFileDevice::NoError
                                                                          ? file.errorString()
                                                                          : QStringLiteral("it grew while read")));
            return false;
        }
        return true;
    }

    void readDocument(const PlannedFile &file, ImportedFolder &into)
    {
        QByteArray bytes;
        if (!readBytes(file.path, file.relative, &bytes))
            return;
        if (looksBinary(bytes)) {
            m_log.skip(file.relative, QStringLiteral("not a text file"));
            return;
        }
        const QFileInfo info(file.path);
        ImportedDocument document;
        const auto pictures = [&](const QString &src) { return embedPicture(src, info.absolutePath(), file.relative); };
        if (file.kind == FileKind::Html) {
            const QString page = decodeHtmlPage(bytes);
            if (info.fileName() == u"index.htm" && isFolioIndexPage(page))
                return; // the listing our export writes beside the documents
            document.title = pageTitle(page);
            document.html = replacePictureSources(page, pictures);
            document.bodyIsPage = true;
        } else if (file.kind == FileKind::Markdown) {
            const MarkdownPage page = markdownToHtml(decodePlainText(bytes));
            if (page.keptAsText)
                m_log.skip(file.relative, QStringLiteral("unknown construct kept as text"));
            document.title = page.title;
            document.html = replacePictureSources(page.html, pictures);
        } else {
            document.html = plainTextToHtml(decodePlainText(bytes));
        }
        if (document.title.trimmed().isEmpty())
            document.title = info.completeBaseName();
        document.title = document.title.trimmed();
        if (document.title.isEmpty())
            document.title = QStringLiteral("Untitled");
        into.documents.append(std::move(document));
    }

    // A picture beside the page becomes a data: URL; addresses (http:,
    // data:, ...) and absolute paths stay as written.
    QString embedPicture(const QString &src, const QString &folder, const QString &item)
    {
        static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
        const QString trimmed = src.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'/') || trimmed.startsWith(u'\\') || scheme.match(trimmed).hasMatch())
            return {};
        const QString name = item + QStringLiteral(" / ") + src;
        const QString path = pictureFile(trimmed, folder);
        if (path.isEmpty()) {
            m_log.skip(name, QStringLiteral("the picture file was not found"));
            return {};
        }
        if (!isInside(path, m_root)) {
            m_log.skip(name, QStringLiteral("the picture lies outside the imported folder, not followed"));
            return {};
        }
        QByteArray bytes;
        if (!readBytes(path, name, &bytes))
            return {};
        return m_log.embedPicture(bytes, name);
    }

    // The picture's real path: as written, else URL-decoded, else without a
    // query or fragment part.
    static QString pictureFile(const QString &src, const QString &folder)
    {
        const QString decoded = QUrl::fromPercentEncoding(src.toUtf8());
        static const QRegularExpression suffix(QStringLiteral("[?#]"));
        const QString bare = decoded.left(decoded.indexOf(suffix));
        for (const QString &candidate : {src, decoded, bare}) {
            const QFileInfo info(folder + u'/' + candidate);
            if (info.isFile())
                return info.canonicalFilePath();
        }
        return {};
    }

    QString m_root;
    int m_fileCount = 0;
    int m_done = 0;
    ImportLog &m_log;
};

QString canonicalFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (folder.trimmed().isEmpty() || !info.exists())
        throw ImportFailure{QStringLiteral("The folder \"%1\" does not exist.").arg(folder)};
    if (!info.isDir())
        throw ImportFailure{QStringLiteral("\"%1\" is not a folder.").arg(folder)};
    if (!info.isReadable() || !info.isExecutable())
        throw ImportFailure{QStringLiteral("The folder \"%1\" cannot be read (permission denied).").arg(folder)};
    return info.canonicalFilePath();
}

} // namespace

ImportedFolder readFileTree(const QString &folder, ImportLog &log)
{
    const QString root = canonicalFolder(folder);
    QString name = QFileInfo(QDir::cleanPath(folder)).fileName();
    if (name.isEmpty())
        name = QFileInfo(root).fileName().isEmpty() ? root : QFileInfo(root).fileName();

    PlannedFolder plan{name, {}, {}};
    TreeWalker walker(root, log);
    walker.walk(root, root, QString(), 0, plan);
    log.progress(5);

    ImportedFolder result;
    if (log.cancelled())
        return result;
    DocumentReader reader(root, walker.fileCount(), log);
    reader.read(plan, result);
    log.progress(100);
    return result;
}

} // namespace folio
