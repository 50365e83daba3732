#include "peers/peerexport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <stdexcept>

namespace folio::bench {

namespace {

QSqlQuery run(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw std::runtime_error(q.lastError().text().toStdString());
    for (const QVariant &value : values)
        q.addBindValue(value);
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString());
    return q;
}

QString decodeEntity(const QString &entity)
{
    static const QHash<QString, QString> named{{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""},
                                               {"apos", "'"}, {"nbsp", QString(QChar(0xA0))}};
    if (entity.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code = entity.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? entity.mid(2).toUInt(&ok, 16)
                                                                                       : entity.mid(1).toUInt(&ok);
        if (ok && code > 0 && code <= 0x10FFFF) {
            const char32_t character = code;
            return QString::fromUcs4(&character, 1);
        }
        return {};
    }
    return named.value(entity);
}

// A page is written once into a new notebook: no need for the safety (and
// the flush) of a save over an older file.
void writeFileOrThrow(const QString &path, const QString &text)
{
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString zimPage(const QString &title, const QString &text, const QString &created)
{
    return QStringLiteral("Content-Type: text/x-zim-wiki\nWiki-Format: zim 0.6\nCreation-Date: %1\n\n"
                          "====== %2 ======\n\n%3\n")
        .arg(created, title, text);
}

} // namespace

PeerExport::PeerExport(QSqlDatabase source, int subset)
    : m_source(std::move(source))
    , m_subset(std::max(1, subset))
{
}

QString PeerExport::plainText(const QString &html)
{
    static const QRegularExpression head(QStringLiteral("<head>.*?</head>"),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression breaks(QStringLiteral("<br\\s*/?>|</(p|h[1-6]|li|div|tr)\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression entities(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    QString text = html;
    text.remove(head);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(breaks, QStringLiteral("\n"));
    text.remove(tags);
    QString decoded;
    decoded.reserve(text.size());
    qsizetype from = 0;
    for (auto it = entities.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        decoded += QStringView(text).mid(from, match.capturedStart() - from);
        decoded += decodeEntity(match.captured(1));
        from = match.capturedEnd();
    }
    decoded += QStringView(text).mid(from);
    return decoded.trimmed();
}

// Letters and digits kept, anything else an underscore (a blank in the page
// name). A page name may not begin with a blank or a sign: the notebook
// program refuses the whole notebook's index for one such page.
QString PeerExport::fileNameFor(const QString &name, const QString &tag)
{
    QString safe;
    for (const QChar c : name)
        safe += c.isLetterOrNumber() ? c : QLatin1Char('_');
    safe = safe.left(60);
    while (safe.startsWith(QLatin1Char('_')))
        safe.remove(0, 1);
    return safe.isEmpty() ? tag : safe + QLatin1Char('_') + tag;
}

QList<PeerExport::Folder> PeerExport::selectedFolders() const
{
    QList<Folder> all;
    for (QSqlQuery q = run(m_source, QStringLiteral("SELECT DirNum, Parent, DirName FROM DirTable ORDER BY DirNum"));
         q.next();)
        all.append({q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString()});
    if (m_subset == 1)
        return all;
    // Parents come before their children (they were made first).
    QSet<qint64> kept;
    QList<Folder> selected;
    int topLevel = 0;
    for (const Folder &folder : all) {
        const bool keep = folder.parent == 0 ? topLevel++ % m_subset == 0 : kept.contains(folder.parent);
        if (keep) {
            kept.insert(folder.num);
            selected.append(folder);
        }
    }
    return selected;
}

PeerExportSummary PeerExport::writeCherryTree(const QString &path, const Progress &progress) const
{
    QFile::remove(path);
    const QString connection = QStringLiteral("peer-ctb-%1").arg(quintptr(this));
    PeerExportSummary summary;
    {
        QSqlDatabase ctb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        ctb.setDatabaseName(path);
        if (!ctb.open())
            throw std::runtime_error("cannot create " + path.toStdString());
        for (const char *sql : {
                 "CREATE TABLE node (node_id INTEGER UNIQUE, name TEXT, txt TEXT, syntax TEXT, tags TEXT, "
                 "is_ro INTEGER, is_richtxt INTEGER, has_codebox INTEGER, has_table INTEGER, has_image INTEGER, "
                 "level INTEGER, ts_creation INTEGER, ts_lastsave INTEGER)",
                 "CREATE TABLE children (node_id INTEGER UNIQUE, father_id INTEGER, sequence INTEGER, "
                 "master_id INTEGER)",
                 "CREATE TABLE bookmark (node_id INTEGER UNIQUE, sequence INTEGER)",
                 "CREATE TABLE codebox (node_id INTEGER, offset INTEGER, justification TEXT, txt TEXT, syntax TEXT, "
                 "width INTEGER, height INTEGER, is_width_pix INTEGER, do_highl_bra INTEGER, do_show_linenum INTEGER)",
                 "CREATE TABLE grid (node_id INTEGER, offset INTEGER, justification TEXT, txt TEXT, col_min INTEGER, "
                 "col_max INTEGER)",
                 "CREATE TABLE image (node_id INTEGER, offset INTEGER, justification TEXT, anchor TEXT, png BLOB, "
                 "filename TEXT, link TEXT, time INTEGER)"})
            run(ctb, QString::fromLatin1(sql));
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        qint64 nextId = 1;
        QHash<qint64, qint64> nodeOfFolder, nextSequence;
        QSqlQuery node(ctb), child(ctb);
        node.prepare(QStringLiteral("INSERT INTO node VALUES (?, ?, ?, 'plain-text', '', 0, 0, 0, 0, 0, 0, ?, ?)"));
        child.prepare(QStringLiteral("INSERT INTO children VALUES (?, ?, ?, 0)"));
        auto add = [&](const QString &name, const QString &text, qint64 father) {
            const qint64 id = nextId++;
            node.addBindValue(id);
            node.addBindValue(name);
            node.addBindValue(text);
            node.addBindValue(now);
            node.addBindValue(now);
            child.addBindValue(id);
            child.addBindValue(father);
            child.addBindValue(++nextSequence[father]);
            if (!node.exec() || !child.exec())
                throw std::runtime_error(ctb.lastError().text().toStdString());
            return id;
        };
        ctb.transaction();
        const QList<Folder> folders = selectedFolders();
        for (const Folder &folder : folders) {
            nodeOfFolder.insert(folder.num, add(folder.name, QString(), nodeOfFolder.value(folder.parent, 0)));
            ++summary.folders;
        }
        for (QSqlQuery doc = run(m_source, QStringLiteral("SELECT DirNum, DocName, Text FROM DocTable ORDER BY DocNum"));
             doc.next();) {
            const auto folder = nodeOfFolder.constFind(doc.value(0).toLongLong());
            if (folder == nodeOfFolder.constEnd())
                continue;
            add(doc.value(1).toString(), plainText(doc.value(2).toString()), *folder);
            if (++summary.documents % 5000 == 0) {
                ctb.commit();
                ctb.transaction();
                if (progress)
                    progress(QStringLiteral("CherryTree: %1 documents written").arg(summary.documents));
            }
        }
        if (!ctb.commit())
            throw std::runtime_error(ctb.lastError().text().toStdString());
        ctb.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return summary;
}

PeerExportSummary PeerExport::writeZim(const QString &dirPath, const Progress &progress) const
{
    QDir dir(dirPath);
    if (dir.exists() && !dir.removeRecursively())
        throw std::runtime_error("cannot empty " + dirPath.toStdString());
    if (!dir.mkpath(QStringLiteral(".")))
        throw std::runtime_error("cannot create " + dirPath.toStdString());
    writeFileOrThrow(dir.filePath(QStringLiteral("notebook.zim")),
                     QStringLiteral("[Notebook]\nversion=0.4\nname=Folio Keeper bench\ninterwiki=\nhome=Home\n"
                                    "icon=\ndocument_root=\nshared=True\nendofline=unix\ndisable_trash=True\n"
                                    "profile=\n"));
    const QString created = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    writeFileOrThrow(dir.filePath(QStringLiteral("Home.txt")),
                     zimPage(QStringLiteral("Home"), QStringLiteral("The folders of the benchmark base."), created));
    PeerExportSummary summary;
    // The folder (relative to the notebook) that holds the pages below each folder's page.
    QHash<qint64, QString> pathOf;
    pathOf.insert(0, QString());
    for (const Folder &folder : selectedFolders()) {
        const QString parentPath = pathOf.value(folder.parent);
        const QString name = fileNameFor(folder.name, QStringLiteral("f%1").arg(folder.num));
        const QString path = parentPath.isEmpty() ? name : parentPath + QLatin1Char('/') + name;
        if (!dir.mkpath(path))
            throw std::runtime_error("cannot create " + dir.filePath(path).toStdString());
        writeFileOrThrow(dir.filePath(path + QStringLiteral(".txt")), zimPage(folder.name, QString(), created));
        pathOf.insert(folder.num, path);
        ++summary.folders;
    }
    for (QSqlQuery doc = run(m_source,
                             QStringLiteral("SELECT DocNum, DirNum, DocName, Text FROM DocTable ORDER BY DocNum"));
         doc.next();) {
        const auto folder = pathOf.constFind(doc.value(1).toLongLong());
        if (folder == pathOf.constEnd() || doc.value(1).toLongLong() == 0)
            continue;
        const QString file = *folder + QLatin1Char('/') + fileNameFor(doc.value(2).toString(), QStringLiteral("d%1").arg(doc.value(0).toLongLong()))
                             + QStringLiteral(".txt");
        writeFileOrThrow(dir.filePath(file), zimPage(doc.value(2).toString(), plainText(doc.value(3).toString()), created));
        if (++summary.documents % 5000 == 0 && progress)
            progress(QStringLiteral("Zim: %1 pages written").arg(summary.documents));
    }
    return summary;
}

} // namespace folio::bench
