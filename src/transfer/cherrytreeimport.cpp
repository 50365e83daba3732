#include "transfer/cherrytreeimport.h"

#include "transfer/cherrytreerichtext.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <QXmlStreamReader>

#include <algorithm>
#include <utility>
#include <vector>

namespace folio {
namespace {

// Folders nest at most this deep; deeper notes land in the deepest folder.
constexpr std::size_t kMaxDepth = 100;
const QString kRichText = QStringLiteral("custom-colors");

QString titleOf(const QString &name)
{
    const QString title = name.trimmed();
    return title.isEmpty() ? QStringLiteral("Untitled") : title;
}

QString noteItem(const QString &title)
{
    return QStringLiteral("note '%1'").arg(title);
}

// Assembles the folder tree as nodes open and close: a node with children
// becomes a folder holding its own text first, a node without a document.
class TreeBuilder
{
public:
    TreeBuilder(const QString &name, ImportLog &log) : m_log(log)
    {
        m_frames.emplace_back();
        m_frames.front().name = name;
    }

    void open(const QString &title)
    {
        if (m_frames.size() > kMaxDepth && !std::exchange(m_reportedDepth, true))
            m_log.skip(noteItem(title), QStringLiteral("nested too deeply: it and the notes below it "
                                                       "were placed in a folder further up"));
        m_frames.emplace_back();
    }

    void close(const ImportedDocument &document)
    {
        ImportedFolder own = std::move(m_frames.back());
        m_frames.pop_back();
        // Frames past the depth limit stay empty: their children go here too.
        ImportedFolder &parent = m_frames[std::min(m_frames.size() - 1, kMaxDepth)];
        if (own.documents.isEmpty() && own.folders.isEmpty()) {
            parent.documents.append(document);
            return;
        }
        own.name = document.title;
        own.documents.prepend(document);
        parent.folders.append(std::move(own));
    }

    ImportedFolder result() const { return m_frames.front(); }

private:
    ImportLog &m_log;
    std::vector<ImportedFolder> m_frames;
    bool m_reportedDepth = false;
};

ImportedDocument finishNote(const QString &title, const CherryNoteHtml &note, bool rich, ImportLog &log)
{
    if (note.sawUnknown())
        log.skip(noteItem(title), QStringLiteral("unknown construct kept as text"));
    return {title, rich ? note.toHtml() : note.toPreHtml(), false};
}

// ---- the XML form: one document, streamed --------------------------------

class XmlDocumentReader
{
public:
    XmlDocumentReader(QFile &file, const QString &name, ImportLog &log)
        : m_file(file), m_xml(&file), m_log(log), m_tree(name, log)
    {
    }
    ImportedFolder read();

private:
    struct OpenNote
    {
        QString title;
        bool rich = true;
        CherryNoteHtml note;
        int pictures = 0;
    };

    void openNode();
    void closeNode();
    void readSlot(OpenNote &open);
    qint64 charOffset() const { return m_xml.attributes().value(QLatin1String("char_offset")).toLongLong(); }

    QFile &m_file;
    QXmlStreamReader m_xml;
    ImportLog &m_log;
    TreeBuilder m_tree;
    std::vector<OpenNote> m_open;
    int m_nodesRead = 0;
};

ImportedFolder XmlDocumentReader::read()
{
    const QString shown = QFileInfo(m_file.fileName()).fileName();
    if (!m_xml.readNextStartElement())
        throw ImportFailure{QStringLiteral("“%1” is not a CherryTree document: it is neither the database nor the "
                                           "XML form (%2). A password-protected document has to be saved "
                                           "without a password first.")
                                .arg(shown, m_xml.errorString())};
    if (m_xml.name() != u"cherrytree")
        throw ImportFailure{QStringLiteral("“%1” is an XML file, but not a CherryTree document.").arg(shown)};
    while (!m_xml.atEnd() && !m_log.cancelled()) {
        m_xml.readNext();
        if (m_xml.isStartElement()) {
            if (m_xml.name() == u"node")
                openNode();
            else if (m_open.empty())
                m_xml.skipCurrentElement(); // bookmarks and other document-wide settings
            else
                readSlot(m_open.back());
        } else if (m_xml.isEndElement() && m_xml.name() == u"node") {
            closeNode();
        }
    }
    if (m_xml.hasError()) {
        if (m_nodesRead == 0)
            throw ImportFailure{QStringLiteral("“%1” could not be read: the document is damaged (%2, line %3).")
                                    .arg(shown, m_xml.errorString())
                                    .arg(m_xml.lineNumber())};
        m_log.skip(shown, QStringLiteral("the file is damaged at line %1 (%2); the notes before that were kept")
                              .arg(m_xml.lineNumber())
                              .arg(m_xml.errorString()));
        while (!m_open.empty())
            closeNode();
    }
    return m_tree.result();
}

void XmlDocumentReader::openNode()
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    OpenNote open;
    open.title = titleOf(attributes.value(QLatin1String("name")).toString());
    const QStringView language = attributes.value(QLatin1String("prog_lang"));
    open.rich = language.isEmpty() || language == kRichText;
    m_tree.open(open.title);
    m_open.push_back(std::move(open));
    if (++m_nodesRead % 64 == 0 && m_file.size() > 0)
        m_log.progress(int(m_file.pos() * 100 / m_file.size()));
}

void XmlDocumentReader::closeNode()
{
    const OpenNote open = std::move(m_open.back());
    m_open.pop_back();
    m_tree.close(finishNote(open.title, open.note, open.rich, m_log));
}

void XmlDocumentReader::readSlot(OpenNote &open)
{
    const QStringView name = m_xml.name();
    if (name == u"rich_text") {
        open.note.readRun(m_xml);
    } else if (name == u"codebox") {
        const qint64 offset = charOffset();
        open.note.addInsert(offset, cherryPreHtml(m_xml.readElementText(QXmlStreamReader::IncludeChildElements)), true);
    } else if (name == u"table") {
        const qint64 offset = charOffset();
        open.note.addInsert(offset, cherryTableHtml(m_xml), true);
    } else if (name == u"encoded_png") {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        CherryEmbedded e;
        e.offset = charOffset();
        e.anchor = attributes.value(QLatin1String("anchor")).toString();
        e.filename = attributes.value(QLatin1String("filename")).toString();
        e.link = attributes.value(QLatin1String("link")).toString();
        const QString text = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
        e.content = cherryIsFormula(e.filename) ? text.toUtf8() : QByteArray::fromBase64(text.toLatin1());
        cherryAddEmbedded(open.note, e, noteItem(open.title), open.pictures, m_log);
    } else {
        open.note.noteUnknown();
        open.note.addText(m_xml.readElementText(QXmlStreamReader::IncludeChildElements));
    }
}

// ---- the database form ----------------------------------------------------

// Opens the database read-only on a connection of its own and removes that
// connection again however the reading ends.
class ReadOnlyConnection
{
public:
    explicit ReadOnlyConnection(const QString &file) : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            m_error = db.lastError().text();
    }
    ~ReadOnlyConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    ReadOnlyConnection(const ReadOnlyConnection &) = delete;
    ReadOnlyConnection &operator=(const ReadOnlyConnection &) = delete;

    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }
    QString error() const { return m_error; }

private:
    QString m_name;
    QString m_error;
};

class DatabaseReader
{
public:
    DatabaseReader(const QSqlDatabase &db, const QString &file, const QString &name, ImportLog &log)
        : m_db(db), m_shown(QFileInfo(file).fileName()), m_log(log), m_tree(name, log),
          m_noteQuery(db), m_pictureQuery(db)
    {
    }
    ImportedFolder read();

private:
    struct Widget
    {
        enum class Kind { CodeBox, Table, Embedded };
        Kind kind;
        qint64 offset;
        QString text;
        CherryEmbedded embedded;
        qint64 row = 0; // where the picture bytes are, fetched when needed
    };
    struct Step
    {
        qint64 id;
        qsizetype next;
        ImportedDocument document;
    };

    QSqlQuery query(const QString &sql);
    void loadTree();
    void loadWidgets(const QString &table, const QString &sql, Widget::Kind kind);
    void walk(const QList<qint64> &roots, bool stray);
    bool enter(qint64 id, bool stray, std::vector<Step> &stack);
    ImportedDocument readNote(qint64 id, const QString &title, const QString &text, bool rich);
    void addWidget(CherryNoteHtml &note, const Widget &widget, const QString &title, int &pictures);

    QSqlDatabase m_db;
    QString m_shown;
    ImportLog &m_log;
    TreeBuilder m_tree;
    QSqlQuery m_noteQuery;
    QSqlQuery m_pictureQuery;
    QList<qint64> m_nodeIds;
    QHash<qint64, qint64> m_parent;
    QHash<qint64, QList<qint64>> m_children;
    QHash<qint64, QList<Widget>> m_widgets;
    QSet<qint64> m_known; // every note in the node table
    QSet<qint64> m_seen;
};

QSqlQuery DatabaseReader::query(const QString &sql)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw ImportFailure{QStringLiteral("“%1” could not be read: %2.").arg(m_shown, q.lastError().text())};
    return q;
}

ImportedFolder DatabaseReader::read()
{
    const QStringList tables = m_db.tables();
    if (!tables.contains(QLatin1String("node")) || !tables.contains(QLatin1String("children")))
        throw ImportFailure{QStringLiteral("“%1” is a database, but not a CherryTree document: "
                                           "it has no table of notes.").arg(m_shown)};
    loadTree();
    if (tables.contains(QLatin1String("codebox")))
        loadWidgets(QStringLiteral("code boxes"), QStringLiteral("SELECT node_id, \"offset\", txt FROM codebox"),
                    Widget::Kind::CodeBox);
    if (tables.contains(QLatin1String("grid")))
        loadWidgets(QStringLiteral("tables"), QStringLiteral("SELECT node_id, \"offset\", txt FROM grid"),
                    Widget::Kind::Table);
    if (tables.contains(QLatin1String("image")))
        loadWidgets(QStringLiteral("pictures and attached files"),
                    QStringLiteral("SELECT node_id, \"offset\", anchor, filename, link, rowid FROM image"),
                    Widget::Kind::Embedded);
    if (!m_noteQuery.prepare(QStringLiteral("SELECT name, txt, syntax, is_richtxt FROM node WHERE node_id = ?")))
        throw ImportFailure{QStringLiteral("“%1” could not be read: %2.").arg(m_shown, m_noteQuery.lastError().text())};
    m_pictureQuery.prepare(QStringLiteral("SELECT png FROM image WHERE rowid = ?"));

    walk(m_children.value(0), false);
    // Notes whose parent is not in the file go to the top; what is left after
    // that hangs in a loop of its own and goes there too.
    QList<qint64> strays;
    for (qint64 id : std::as_const(m_nodeIds)) {
        if (!m_seen.contains(id) && !m_known.contains(m_parent.value(id, -1)))
            strays << id;
    }
    walk(strays, true);
    walk(m_nodeIds, true);
    return m_tree.result();
}

void DatabaseReader::loadTree()
{
    QSqlQuery children = query(QStringLiteral("SELECT node_id, father_id FROM children "
                                              "ORDER BY father_id, sequence, node_id"));
    while (children.next()) {
        const qint64 id = children.value(0).toLongLong();
        const qint64 father = children.value(1).toLongLong();
        if (m_parent.contains(id)) // one place in the tree per note
            continue;
        m_parent.insert(id, father);
        m_children[father].append(id);
    }
    QSqlQuery nodes = query(QStringLiteral("SELECT node_id FROM node ORDER BY node_id"));
    while (nodes.next())
        m_nodeIds << nodes.value(0).toLongLong();
    m_known = QSet<qint64>(m_nodeIds.cbegin(), m_nodeIds.cend());
}

void DatabaseReader::loadWidgets(const QString &what, const QString &sql, Widget::Kind kind)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        m_log.skip(m_shown, QStringLiteral("its %1 could not be read (%2)").arg(what, q.lastError().text()));
        return;
    }
    while (q.next()) {
        Widget w{kind, q.value(1).toLongLong(), {}, {}, 0};
        if (kind == Widget::Kind::Embedded) {
            w.embedded.offset = w.offset;
            w.embedded.anchor = q.value(2).toString();
            w.embedded.filename = q.value(3).toString();
            w.embedded.link = q.value(4).toString();
            w.row = q.value(5).toLongLong();
        } else {
            w.text = q.value(2).toString();
        }
        m_widgets[q.value(0).toLongLong()].append(w);
    }
}

// Depth first over the children table without recursion; every note is
// visited once, so a note listed twice or a loop cannot repeat or hang.
void DatabaseReader::walk(const QList<qint64> &roots, bool stray)
{
    std::vector<Step> stack;
    for (qint64 root : roots) {
        if (!enter(root, stray, stack))
            continue;
        while (!stack.empty()) {
            if (m_log.cancelled())
                return;
            const QList<qint64> children = m_children.value(stack.back().id);
            if (stack.back().next < children.size()) {
                enter(children[stack.back().next++], false, stack);
                continue;
            }
            m_tree.close(stack.back().document);
            stack.pop_back();
        }
    }
}

bool DatabaseReader::enter(qint64 id, bool stray, std::vector<Step> &stack)
{
    if (m_seen.contains(id) || m_log.cancelled())
        return false;
    m_seen.insert(id);
    m_noteQuery.bindValue(0, id);
    if (!m_noteQuery.exec() || !m_noteQuery.next()) {
        m_log.skip(QStringLiteral("note %1").arg(id), QStringLiteral("listed in the tree but missing from the file"));
        return false;
    }
    const QString title = titleOf(m_noteQuery.value(0).toString());
    const QString text = m_noteQuery.value(1).toString();
    const bool rich = m_noteQuery.value(2).toString() == kRichText || (m_noteQuery.value(3).toLongLong() & 1);
    m_noteQuery.finish();
    if (stray)
        m_log.skip(noteItem(title), QStringLiteral("its place in the tree is missing; it was put at the top"));
    m_tree.open(title);
    stack.push_back({id, 0, readNote(id, title, text, rich)});
    if (m_seen.size() % 64 == 0 && !m_nodeIds.isEmpty())
        m_log.progress(int(std::min<qsizetype>(100, m_seen.size() * 100 / m_nodeIds.size())));
    return true;
}

ImportedDocument DatabaseReader::readNote(qint64 id, const QString &title, const QString &text, bool rich)
{
    CherryNoteHtml note;
    if (!rich) {
        note.addText(text);
        return finishNote(title, note, false, m_log);
    }
    if (!text.trimmed().isEmpty() && !cherryReadNodeXml(text, note)) {
        m_log.skip(noteItem(title), QStringLiteral("its text is damaged; what could be read was kept"));
        if (note.isEmpty())
            note.addText(cherryStripTags(text));
    }
    int pictures = 0;
    for (const Widget &widget : m_widgets.value(id))
        addWidget(note, widget, title, pictures);
    return finishNote(title, note, true, m_log);
}

void DatabaseReader::addWidget(CherryNoteHtml &note, const Widget &widget, const QString &title, int &pictures)
{
    if (widget.kind == Widget::Kind::CodeBox) {
        note.addInsert(widget.offset, cherryPreHtml(widget.text), true);
    } else if (widget.kind == Widget::Kind::Table) {
        QXmlStreamReader xml(widget.text);
        const QString html = xml.readNextStartElement() ? cherryTableHtml(xml) : QString();
        if (xml.hasError())
            m_log.skip(noteItem(title) + QStringLiteral(" / table"),
                       QStringLiteral("the table is damaged; what could be read was kept"));
        note.addInsert(widget.offset, html.isEmpty() ? cherryPreHtml(cherryStripTags(widget.text)) : html, true);
    } else {
        CherryEmbedded e = widget.embedded;
        const bool needsBytes = e.anchor.isEmpty() && (e.filename.isEmpty() || cherryIsFormula(e.filename));
        if (needsBytes) {
            m_pictureQuery.bindValue(0, widget.row);
            if (m_pictureQuery.exec() && m_pictureQuery.next())
                e.content = m_pictureQuery.value(0).toByteArray();
            m_pictureQuery.finish();
        }
        cherryAddEmbedded(note, e, noteItem(title), pictures, m_log);
    }
}

ImportedFolder readDatabase(const QString &file, const QString &name, ImportLog &log)
{
    ReadOnlyConnection connection(file);
    if (!connection.error().isEmpty())
        throw ImportFailure{QStringLiteral("“%1” could not be opened: %2.")
                                .arg(QFileInfo(file).fileName(), connection.error())};
    // The reader and its queries end before the connection is removed.
    DatabaseReader reader(connection.database(), file, name, log);
    return reader.read();
}

} // namespace

ImportedFolder readCherryTree(const QString &file, ImportLog &log)
{
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly))
        throw ImportFailure{QStringLiteral("“%1” could not be opened: %2.")
                                .arg(QFileInfo(file).fileName(), source.errorString())};
    const QString name = QFileInfo(file).completeBaseName();
    if (source.peek(16) == QByteArray("SQLite format 3\0", 16)) {
        source.close();
        return readDatabase(file, name, log);
    }
    return XmlDocumentReader(source, name, log).read();
}

} // namespace folio
