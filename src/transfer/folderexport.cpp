#include "transfer/folderexport.h"

#include "storage/collectionfile.h"
#include "storage/htmlexport.h"
#include "storage/storageerror.h"
#include "transfer/exportnames.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTextDocument>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace folio {

namespace {

const QString Operation = QStringLiteral("export the folder");
constexpr int PathMax = 4000;

struct IndexEntry
{
    QString file;   // relative link target
    QString label;
    bool folder;
};

class TreeExporter
{
public:
    TreeExporter(const QString &databasePath, ExportFormat format, const std::atomic<bool> *cancel,
                 const ProgressFunction &progress)
        : m_reader(databasePath), m_format(format), m_cancel(cancel), m_progress(progress)
    {
    }

    ExportResult run(DirNum root, const QString &target);

private:
    void collect(DirNum num, QSet<DirNum> &seen);
    void writeFolder(DirNum num, const QString &name, const QString &path);
    QString documentBytes(const Document &document) const;
    void writeIndex(const QString &path, const QString &title, const QList<IndexEntry> &entries);
    void writeFile(const QString &path, const QByteArray &bytes);
    bool cancelled() const { return m_cancel && m_cancel->load(); }
    void documentDone();

    CollectionReader m_reader;
    ExportFormat m_format;
    const std::atomic<bool> *m_cancel;
    ProgressFunction m_progress;
    QHash<DirNum, QList<Folder>> m_children;
    QHash<DirNum, QString> m_names;
    QHash<DirNum, QList<DocumentSummary>> m_documents;
    QSet<DirNum> m_written;
    qint64 m_total = 0;
    qint64 m_done = 0;
    qint64 m_temporaries = 0;
    ExportResult m_result;
};

QString linkTarget(const QString &relative)
{
    return QString::fromUtf8(QUrl::toPercentEncoding(relative, "/"));
}

void removeTree(const QString &path)
{
    if (!path.isEmpty())
        QDir(path).removeRecursively();
}

// The page's bytes reach the disk in one go when the last export file is
// written; a flush per file would make a large export wait on the disk
// thousands of times.
void flushFileSystem(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

} // namespace

QString pageWithTitle(const QString &html, const QString &title)
{
    static const QRegularExpression existing(QStringLiteral(R"(<title\b[^>]*>.*?</title\s*>)"),
                                             QRegularExpression::CaseInsensitiveOption
                                                 | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression head(QStringLiteral(R"(<head\b[^>]*>)"), QRegularExpression::CaseInsensitiveOption);
    const QString element = QStringLiteral("<title>%1</title>").arg(title.toHtmlEscaped());
    // Only the head is searched: a page of megabytes is not scanned for it.
    const qsizetype bodyAt = html.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    const QString headPart = bodyAt < 0 ? html : html.left(bodyAt);
    QRegularExpressionMatch m = existing.match(headPart);
    if (m.hasMatch())
        return html.left(m.capturedStart()) + element + html.mid(m.capturedEnd());
    m = head.match(headPart);
    if (m.hasMatch())
        return html.left(m.capturedEnd()) + element + html.mid(m.capturedEnd());
    return QStringLiteral("<html><head>%1</head><body>%2</body></html>").arg(element, html);
}

ExportResult TreeExporter::run(DirNum root, const QString &target)
{
    const QList<Folder> folders = m_reader.folders();
    QList<Folder> tops;
    for (const Folder &f : folders) {
        m_names.insert(f.num, f.name);
        if (f.kind == FolderKind::Root)
            tops.append(f);
        else
            m_children[f.parent].append(f);
    }
    if (root != 0 && !m_names.contains(root))
        throw StorageError(Operation, QStringLiteral("the folder no longer exists"));
    m_children.insert(0, tops);
    QSet<DirNum> seen;
    collect(root, seen);
    if (!QFileInfo(target).isDir())
        throw StorageError(Operation, QStringLiteral("%1 is not a folder").arg(target));

    ExportNames names;
    for (const QString &entry : QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        names.reserve(entry);
    const QString folderName = names.folderFor(root == 0 ? WholeBaseExportName : m_names.value(root));
    m_result.folder = QDir(target).filePath(folderName);
    try {
        writeFolder(root, root == 0 ? WholeBaseExportName : m_names.value(root), m_result.folder);
        flushFileSystem(m_result.folder);
    } catch (...) {
        removeTree(m_result.folder);
        throw;
    }
    if (cancelled()) {
        removeTree(m_result.folder);
        m_result.cancelled = true;
    }
    return m_result;
}

// Lists what will be written first, so progress counts documents.
void TreeExporter::collect(DirNum num, QSet<DirNum> &seen)
{
    if (seen.contains(num))
        return;  // a loop written into the table by another tool
    seen.insert(num);
    if (num != 0) {
        const QList<DocumentSummary> docs = m_reader.documents(num);
        m_total += docs.size();
        m_documents.insert(num, docs);
    }
    for (const Folder &child : m_children.value(num))
        collect(child.num, seen);
}

void TreeExporter::writeFolder(DirNum num, const QString &name, const QString &path)
{
    if (m_written.contains(num) || cancelled())
        return;
    m_written.insert(num);
    if (QFile::encodeName(path).size() > PathMax)
        throw StorageError(Operation, QStringLiteral("the folders are nested too deep for the file system: %1").arg(path));
    if (!QDir().mkdir(path))
        throw StorageError(Operation, QStringLiteral("cannot make the folder %1").arg(path));
    ++m_result.folders;

    ExportNames names;
    names.reserve(QStringLiteral("index.htm"));
    QList<IndexEntry> entries;
    for (const Folder &child : m_children.value(num)) {
        const QString childName = names.folderFor(child.name);
        writeFolder(child.num, child.name, QDir(path).filePath(childName));
        entries.append({childName + QStringLiteral("/index.htm"), child.name, true});
        if (cancelled())
            return;
    }
    const QString suffix = m_format == ExportFormat::Html ? QStringLiteral(".htm") : QStringLiteral(".md");
    for (const DocumentSummary &summary : m_documents.value(num)) {
        if (cancelled())
            return;
        const std::optional<Document> document = m_reader.document(summary.num);
        if (!document)
            continue;  // deleted meanwhile
        const QString file = names.fileFor(document->title, suffix);
        writeFile(QDir(path).filePath(file), documentBytes(*document).toUtf8());
        entries.append({file, document->title, false});
        documentDone();
    }
    writeIndex(path, name, entries);
}

QString TreeExporter::documentBytes(const Document &document) const
{
    if (m_format == ExportFormat::Html)
        return htmlDeclaringUtf8(pageWithTitle(document.html, document.title)) + QLatin1Char('\n');
    QTextDocument text;
    text.setHtml(document.html);
    const QString markdown = text.toMarkdown(QTextDocument::MarkdownDialectGitHub);
    const QString heading = QStringLiteral("# ") + document.title.simplified();
    if (markdown.startsWith(heading + QLatin1Char('\n')))
        return markdown;
    return heading + QStringLiteral("\n\n") + markdown;
}

void TreeExporter::writeIndex(const QString &path, const QString &title, const QList<IndexEntry> &entries)
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\" />"
                                  "<meta name=\"generator\" content=\"Folio Keeper\" />"
                                  "<title>%1</title></head>\n<body>\n<h1>%1</h1>\n<ul>\n")
                       .arg(title.toHtmlEscaped());
    for (const IndexEntry &e : entries)
        page += QStringLiteral("<li%1><a href=\"%2\">%3</a></li>\n")
                    .arg(e.folder ? QStringLiteral(" class=\"folder\"") : QString(),
                         linkTarget(e.file).toHtmlEscaped(), e.label.toHtmlEscaped());
    page += QStringLiteral("</ul>\n</body></html>\n");
    writeFile(QDir(path).filePath(QStringLiteral("index.htm")), page.toUtf8());
}

// The bytes go to a temporary name first and take the real one when they
// are all written, so a full disk never leaves a cut-off page.
void TreeExporter::writeFile(const QString &path, const QByteArray &bytes)
{
    // A short name of its own: the final name may already be as long as a
    // name can be.
    const QString temporary = QFileInfo(path).dir().filePath(QStringLiteral(".~export-%1.partial").arg(++m_temporaries));
    QFile file(temporary);
    const auto fail = [&](const QString &why) {
        file.remove();
        throw StorageError(QStringLiteral("export to %1").arg(path), why);
    };
    if (QFile::encodeName(path).size() > PathMax)
        fail(QStringLiteral("the path is longer than the file system allows"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        fail(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        fail(file.errorString());
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0)
        fail(QString::fromLocal8Bit(strerror(errno)));
}

void TreeExporter::documentDone()
{
    ++m_done;
    ++m_result.documents;
    if (m_progress && m_total > 0)
        m_progress(int(m_done * 100 / m_total));
}

ExportResult exportFolderTree(const QString &databasePath, DirNum root, const QString &target, ExportFormat format,
                              const std::atomic<bool> *cancel, const ProgressFunction &progress)
{
    TreeExporter exporter(databasePath, format, cancel, progress);
    return exporter.run(root, target);
}

} // namespace folio
