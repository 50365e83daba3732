#include "transfer/enexreader.h"

#include "transfer/enml.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QXmlStreamReader>

namespace folio {

using namespace Qt::StringLiterals;

namespace {

// One <note> as read from the export, before its markup is converted.
struct EnexNote
{
    QString title;
    QString content;
    QStringList tags;
    QList<EnexResource> resources;
};

QString quotedName(const QString &file)
{
    return u"\u201C"_s + QFileInfo(file).fileName() + u"\u201D"_s;
}

// Base64 in exports is wrapped into lines; the strict decoder wants none.
QByteArray withoutWhitespace(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            out.append(c);
    }
    return out;
}

QString elementText(QXmlStreamReader &xml)
{
    return xml.readElementText(QXmlStreamReader::SkipChildElements);
}

void readData(QXmlStreamReader &xml, EnexResource &resource)
{
    const QString encoding = xml.attributes().value("encoding"_L1).trimmed().toString();
    const QByteArray encoded = withoutWhitespace(elementText(xml).toLatin1());
    if (!encoding.isEmpty() && encoding.compare(u"base64", Qt::CaseInsensitive) != 0) {
        resource.damaged = true;
        return;
    }
    auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        resource.damaged = true;
        return;
    }
    resource.data = std::move(decoded.decoded);
    resource.md5Hex = QCryptographicHash::hash(resource.data, QCryptographicHash::Md5).toHex();
}

void readResourceAttributes(QXmlStreamReader &xml, EnexResource &resource)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == u"file-name")
            resource.fileName = elementText(xml).trimmed();
        else
            xml.skipCurrentElement();
    }
}

// <resource>: the data, its type and file name; recognition data and the
// rest of the attributes are of no use to a document.
EnexResource readResource(QXmlStreamReader &xml)
{
    EnexResource resource;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"data")
            readData(xml, resource);
        else if (xml.name() == u"mime")
            resource.mime = elementText(xml).trimmed();
        else if (xml.name() == u"resource-attributes")
            readResourceAttributes(xml, resource);
        else
            xml.skipCurrentElement();
    }
    return resource;
}

EnexNote readNote(QXmlStreamReader &xml)
{
    EnexNote note;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"title") {
            note.title = elementText(xml).simplified();
        } else if (xml.name() == u"content") {
            note.content = elementText(xml);
        } else if (xml.name() == u"tag") {
            const QString tag = elementText(xml).simplified();
            if (!tag.isEmpty())
                note.tags << tag;
        } else if (xml.name() == u"resource") {
            note.resources << readResource(xml);
        } else {
            xml.skipCurrentElement(); // dates, note attributes, tasks: not kept in a document
        }
    }
    return note;
}

ImportedDocument toDocument(EnexNote &note, ImportLog &log)
{
    ImportedDocument document;
    document.title = note.title.isEmpty() ? u"Untitled"_s : note.title;
    document.html = enmlToHtml(note.content, document.title, note.resources, log);
    if (!note.tags.isEmpty())
        document.html += u"<p>"_s + (u"Tags: "_s + note.tags.join(u", "_s)).toHtmlEscaped() + u"</p>"_s;
    return document;
}

void openExport(QFile &in, const QString &file)
{
    if (!QFileInfo::exists(file))
        throw ImportFailure{QStringLiteral("The file %1 does not exist.").arg(quotedName(file))};
    if (!in.open(QIODevice::ReadOnly))
        throw ImportFailure{QStringLiteral("The file %1 could not be opened: %2.").arg(quotedName(file), in.errorString())};
    if (in.size() == 0)
        throw ImportFailure{QStringLiteral("The file %1 is empty; it holds no Evernote notes.").arg(quotedName(file))};
}

// Stops with ImportFailure unless the document's root is <en-export>.
void expectExportRoot(QXmlStreamReader &xml, const QString &file)
{
    if (xml.readNextStartElement() && xml.name() == u"en-export")
        return;
    if (xml.hasError())
        throw ImportFailure{QStringLiteral("The file %1 is not an Evernote export: it is not readable as XML "
                                           "(line %2: %3).")
                                .arg(quotedName(file))
                                .arg(xml.lineNumber())
                                .arg(xml.errorString())};
    throw ImportFailure{QStringLiteral("The file %1 is not an Evernote export: it holds <%2> instead of "
                                       "<en-export>.")
                            .arg(quotedName(file), xml.name().toString())};
}

void reportProgress(const QFile &in, const ImportLog &log, int &lastPercent)
{
    const int percent = in.size() > 0 ? int(in.pos() * 100 / in.size()) : 100;
    if (percent != lastPercent) {
        lastPercent = percent;
        log.progress(percent);
    }
}

// The export breaks off or goes wrong at some point: the notes before it
// are kept, the rest is reported. With nothing readable at all it fails.
void reportBrokenTail(const QXmlStreamReader &xml, const QString &file, const ImportedFolder &folder,
                      const QString &brokenTitle, ImportLog &log)
{
    const QString where = QStringLiteral("line %1 (%2)").arg(xml.lineNumber()).arg(xml.errorString());
    if (folder.documents.isEmpty())
        throw ImportFailure{QStringLiteral("The file %1 is damaged at %2; no note could be read from it.")
                                .arg(quotedName(file), where)};
    const QString item = brokenTitle.isEmpty() ? QStringLiteral("notes after \u201C%1\u201D")
                                                     .arg(folder.documents.last().title)
                                               : brokenTitle;
    log.skip(item, QStringLiteral("the export is damaged at %1; this note and any after it could not be read")
                       .arg(where));
}

} // namespace

ImportedFolder readEvernoteExport(const QString &file, ImportLog &log)
{
    QFile in(file);
    openExport(in, file);
    QXmlStreamReader xml(&in);
    expectExportRoot(xml, file);

    ImportedFolder folder;
    folder.name = QFileInfo(file).completeBaseName();
    int lastPercent = -1;
    QString brokenTitle;
    while (!log.cancelled() && xml.readNextStartElement()) {
        if (xml.name() != u"note") {
            xml.skipCurrentElement();
            continue;
        }
        EnexNote note = readNote(xml);
        if (xml.hasError()) {
            brokenTitle = note.title;
            break;
        }
        folder.documents.append(toDocument(note, log));
        reportProgress(in, log, lastPercent);
    }
    if (log.cancelled())
        return folder;
    if (xml.hasError())
        reportBrokenTail(xml, file, folder, brokenTitle, log);
    log.progress(100);
    return folder;
}

} // namespace folio
