#include "transfer/importrun.h"

#include "storage/collectionfile.h"
#include "storage/documentstore.h"
#include "transfer/cherrytreeimport.h"
#include "transfer/enexreader.h"
#include "transfer/filetreeimport.h"
#include "transfer/folderexport.h"
#include "transfer/zimimport.h"
#include "widgets/picturedata.h"

#include <QDateTime>
#include <algorithm>
#include <QDir>
#include <QFileInfo>

namespace folio {

namespace {

QString embedPicture(const QByteArray &bytes, const QString &name, QString *refusal)
{
    const PictureResult result = preparePicture(bytes, name);
    if (!result.picture) {
        *refusal = result.refusal;
        return {};
    }
    return result.picture->dataUrl;
}

ImportedFolder readSource(ImportKind kind, const QString &source, ImportLog &log)
{
    switch (kind) {
    case ImportKind::Files:
        return readFileTree(source, log);
    case ImportKind::Zim:
        return readZimNotebook(source, log);
    case ImportKind::CherryTree:
        return readCherryTree(source, log);
    case ImportKind::Evernote:
        return readEvernoteExport(source, log);
    }
    return {};
}

int countDocuments(const ImportedFolder &folder)
{
    int n = int(folder.documents.size());
    for (const ImportedFolder &child : folder.folders)
        n += countDocuments(child);
    return n;
}

QString uniqueTopName(const QString &wanted, const QStringList &taken)
{
    QString name = wanted;
    for (int n = 2; taken.contains(name, Qt::CaseInsensitive); ++n)
        name = QStringLiteral("%1 (%2)").arg(wanted).arg(n);
    return name;
}

class TreeWriter
{
public:
    TreeWriter(CollectionWriter &writer, int total, const std::atomic<bool> *cancel, const ProgressFunction &progress)
        : m_writer(writer), m_total(total), m_cancel(cancel), m_progress(progress),
          m_changed(formatChangeDate(QDateTime::currentDateTime()))
    {
    }

    // False when cancelled part-way.
    bool write(const ImportedFolder &folder, const QString &name, DirNum parent, ImportResult &result)
    {
        const DirNum num = m_writer.addFolder(name, parent);
        if (parent == 0)
            result.folder = num;
        ++result.folders;
        for (const ImportedDocument &d : folder.documents) {
            if (m_cancel && m_cancel->load())
                return false;
            const QString title = d.title.trimmed().isEmpty() ? QStringLiteral("Untitled") : d.title;
            m_writer.addDocument(num, title, d.bodyIsPage ? d.html : importedPage(title, d.html), m_changed);
            ++result.documents;
            if (m_progress && m_total > 0)
                m_progress(80 + result.documents * 20 / m_total);
        }
        for (const ImportedFolder &child : folder.folders) {
            const QString childName = child.name.trimmed().isEmpty() ? QStringLiteral("Untitled") : child.name;
            if (!write(child, childName, num, result))
                return false;
        }
        return true;
    }

private:
    CollectionWriter &m_writer;
    int m_total;
    const std::atomic<bool> *m_cancel;
    ProgressFunction m_progress;
    QString m_changed;
};

} // namespace

ImportKind guessImportKind(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QFileInfo(QDir(path).filePath(QStringLiteral("notebook.zim"))).isFile() ? ImportKind::Zim
                                                                                      : ImportKind::Files;
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("enex"))
        return ImportKind::Evernote;
    if (suffix == QLatin1String("zim"))
        return ImportKind::Zim;
    return ImportKind::CherryTree;
}

std::optional<ImportKind> evidentImportKind(const QString &path)
{
    const QFileInfo info(path);
    static const QStringList evident = {QStringLiteral("enex"), QStringLiteral("ctb"), QStringLiteral("ctd"),
                                        QStringLiteral("zim")};
    if (info.isDir() || (info.isFile() && evident.contains(info.suffix().toLower())))
        return guessImportKind(path);
    return std::nullopt;
}

QString importedPage(const QString &title, const QString &body)
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\" /><title>%1</title></head><body>%2</body></html>")
        .arg(title.toHtmlEscaped(), body);
}

ImportResult importCollection(const QString &databasePath, ImportKind kind, const QString &source,
                              const std::atomic<bool> *cancel, const ProgressFunction &progress)
{
    // A notebook chosen by its notebook.zim file is read from its folder.
    QString path = source;
    if (kind == ImportKind::Zim && QFileInfo(source).isFile())
        path = QFileInfo(source).absolutePath();

    ImportLog log(embedPicture, cancel, [&](int percent) {
        if (progress)
            progress(std::clamp(percent, 0, 100) * 80 / 100);
    });
    ImportResult result;
    const ImportedFolder tree = readSource(kind, path, log);
    result.skipped = log.skipped();
    if (log.cancelled()) {
        result.cancelled = true;
        return result;
    }

    CollectionWriter writer(databasePath);
    const QString sourceName = tree.name.trimmed().isEmpty() ? QFileInfo(path).fileName() : tree.name.trimmed();
    result.folderName = uniqueTopName(QStringLiteral("Imported ") + sourceName, writer.topFolderNames());
    TreeWriter treeWriter(writer, countDocuments(tree), cancel, progress);
    if (!treeWriter.write(tree, result.folderName, 0, result)) {
        // The writer rolls everything back as it goes.
        return ImportResult{0, {}, 0, 0, result.skipped, true};
    }
    writer.commit();
    if (progress)
        progress(100);
    return result;
}

} // namespace folio
