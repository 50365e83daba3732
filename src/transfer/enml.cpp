#include "transfer/enml.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamEntityResolver>
#include <QXmlStreamReader>

namespace folio {

using namespace Qt::StringLiterals;

namespace {

// Deeper than this, element tags are no longer written (their text is):
// a hostile file must not make the editor build an absurdly deep tree.
constexpr int kMaxDepth = 100;

const QString kUnknownConstruct = QStringLiteral("unknown construct kept as text");

// Note markup refers to the XHTML entities through its DTD, which is never
// fetched; these are the ones that turn up in real notes.
QString htmlEntity(const QString &name)
{
    static const QHash<QString, char16_t> entities = {
        {u"nbsp"_s, 0x00A0},   {u"copy"_s, 0x00A9},   {u"reg"_s, 0x00AE},   {u"trade"_s, 0x2122},
        {u"hellip"_s, 0x2026}, {u"mdash"_s, 0x2014},  {u"ndash"_s, 0x2013}, {u"lsquo"_s, 0x2018},
        {u"rsquo"_s, 0x2019},  {u"ldquo"_s, 0x201C},  {u"rdquo"_s, 0x201D}, {u"laquo"_s, 0x00AB},
        {u"raquo"_s, 0x00BB},  {u"bull"_s, 0x2022},   {u"middot"_s, 0x00B7}, {u"deg"_s, 0x00B0},
        {u"plusmn"_s, 0x00B1}, {u"times"_s, 0x00D7},  {u"divide"_s, 0x00F7}, {u"euro"_s, 0x20AC},
        {u"pound"_s, 0x00A3},  {u"yen"_s, 0x00A5},    {u"cent"_s, 0x00A2},  {u"sect"_s, 0x00A7},
        {u"para"_s, 0x00B6},   {u"shy"_s, 0x00AD},    {u"auml"_s, 0x00E4},  {u"ouml"_s, 0x00F6},
        {u"uuml"_s, 0x00FC},   {u"Auml"_s, 0x00C4},   {u"Ouml"_s, 0x00D6},  {u"Uuml"_s, 0x00DC},
        {u"szlig"_s, 0x00DF},  {u"eacute"_s, 0x00E9}, {u"egrave"_s, 0x00E8}, {u"agrave"_s, 0x00E0},
        {u"ccedil"_s, 0x00E7}, {u"ntilde"_s, 0x00F1}, {u"amp"_s, u'&'},      {u"lt"_s, u'<'},
        {u"gt"_s, u'>'},       {u"quot"_s, u'"'},     {u"apos"_s, u'\''},
    };
    const auto it = entities.constFind(name);
    return it == entities.constEnd() ? QString() : QString(QChar(*it));
}

class HtmlEntityResolver : public QXmlStreamEntityResolver
{
public:
    QString resolveUndeclaredEntity(const QString &name) override { return htmlEntity(name); }
};

// Undeclared entities are only allowed when the document names an external
// DTD; notes written by other tools sometimes leave the declaration out.
QString withDoctype(const QString &enml)
{
    QString text = enml.trimmed();
    if (text.contains(QLatin1String("<!DOCTYPE")))
        return text;
    static const QString doctype = QStringLiteral("<!DOCTYPE en-note SYSTEM \"enml2.dtd\">");
    const int declEnd = text.startsWith(QLatin1String("<?xml")) ? text.indexOf(QLatin1String("?>")) : -1;
    return declEnd < 0 ? doctype + text : text.insert(declEnd + 2, doctype);
}

// Elements written under another name (or as the same one), and elements
// whose tag is dropped but whose text is kept without a report.
const QHash<QString, QString> &tagMap()
{
    static const QHash<QString, QString> map = {
        {u"p"_s, u"p"_s},       {u"div"_s, u"div"_s},     {u"b"_s, u"b"_s},       {u"strong"_s, u"b"_s},
        {u"i"_s, u"i"_s},       {u"em"_s, u"i"_s},        {u"u"_s, u"u"_s},       {u"ins"_s, u"u"_s},
        {u"s"_s, u"s"_s},       {u"strike"_s, u"s"_s},    {u"del"_s, u"s"_s},     {u"sup"_s, u"sup"_s},
        {u"sub"_s, u"sub"_s},   {u"h1"_s, u"h1"_s},       {u"h2"_s, u"h2"_s},     {u"h3"_s, u"h3"_s},
        {u"h4"_s, u"h4"_s},     {u"h5"_s, u"h5"_s},       {u"h6"_s, u"h6"_s},     {u"ul"_s, u"ul"_s},
        {u"ol"_s, u"ol"_s},     {u"li"_s, u"li"_s},       {u"tr"_s, u"tr"_s},     {u"td"_s, u"td"_s},
        {u"th"_s, u"th"_s},     {u"thead"_s, u"thead"_s}, {u"tbody"_s, u"tbody"_s}, {u"tfoot"_s, u"tbody"_s},
        {u"pre"_s, u"pre"_s},   {u"code"_s, u"code"_s},   {u"tt"_s, u"code"_s},   {u"kbd"_s, u"code"_s},
        {u"samp"_s, u"code"_s}, {u"blockquote"_s, u"blockquote"_s}, {u"center"_s, u"div"_s},
        {u"dl"_s, u"div"_s},    {u"dt"_s, u"div"_s},      {u"dd"_s, u"blockquote"_s}, {u"span"_s, u"span"_s},
        {u"en-note"_s, {}},      {u"abbr"_s, {}},           {u"acronym"_s, {}},      {u"address"_s, {}},
        {u"big"_s, {}},          {u"small"_s, {}},          {u"cite"_s, {}},         {u"dfn"_s, {}},
        {u"q"_s, {}},            {u"bdo"_s, {}},            {u"var"_s, {}},          {u"caption"_s, {}},
        {u"col"_s, {}},          {u"colgroup"_s, {}},       {u"map"_s, {}},          {u"area"_s, {}},
    };
    return map;
}

// Elements whose content is never shown: scripts and embedded programs.
bool isDropped(QStringView name)
{
    static const QSet<QString> dropped = {u"script"_s, u"style"_s, u"iframe"_s, u"object"_s, u"embed"_s,
                                          u"applet"_s, u"noscript"_s, u"head"_s, u"form"_s};
    return dropped.contains(name.toString().toLower());
}

bool isSafeCssValue(const QString &value)
{
    if (value.isEmpty() || value.contains(QLatin1String("url("), Qt::CaseInsensitive)
        || value.contains(QLatin1String("expression"), Qt::CaseInsensitive))
        return false;
    for (const QChar c : value) {
        if (!c.isLetterOrNumber() && !QStringView(u" #%.,()-+").contains(c))
            return false;
    }
    return true;
}

// Only the look of text survives: colours, size, weight, slant, lines.
QString safeStyle(QStringView style)
{
    static const QSet<QString> allowed = {u"color"_s,       u"background-color"_s, u"font-size"_s,
                                          u"font-weight"_s, u"font-style"_s,       u"text-decoration"_s};
    QStringList kept;
    for (const QStringView declaration : style.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon <= 0)
            continue;
        const QString name = declaration.left(colon).trimmed().toString().toLower();
        const QString value = declaration.mid(colon + 1).trimmed().toString();
        if (allowed.contains(name) && isSafeCssValue(value))
            kept << name + u':' + value;
    }
    return kept.join(u';');
}

// <font> becomes a styled span; HTML sizes 1-7 map to the editor's points.
QString fontStyle(const QXmlStreamAttributes &attributes)
{
    static const int points[] = {8, 10, 12, 14, 18, 24, 36};
    QStringList parts;
    const QString color = attributes.value("color"_L1).trimmed().toString();
    if (isSafeCssValue(color))
        parts << u"color:"_s + color;
    bool ok = false;
    const int size = attributes.value("size"_L1).trimmed().toInt(&ok);
    if (ok && size >= 1 && size <= 7)
        parts << QStringLiteral("font-size:%1pt").arg(points[size - 1]);
    QString face = attributes.value("face"_L1).toString();
    face.remove(QRegularExpression(QStringLiteral("[^\\w ,\\-]")));
    if (!face.trimmed().isEmpty())
        parts << u"font-family:"_s + face.trimmed();
    const QString style = safeStyle(attributes.value("style"_L1));
    if (!style.isEmpty())
        parts << style;
    return parts.join(u';');
}

QString styleAttribute(const QString &style)
{
    return style.isEmpty() ? QString() : u" style=\""_s + style.toHtmlEscaped() + u'"';
}

// Table cells keep their spans: without them a table falls apart.
QString cellSpans(const QXmlStreamAttributes &attributes)
{
    QString out;
    for (const QLatin1StringView name : {"colspan"_L1, "rowspan"_L1}) {
        bool ok = false;
        const int span = attributes.value(name).toInt(&ok);
        if (ok && span > 1 && span < 1000)
            out += QStringLiteral(" %1=\"%2\"").arg(name).arg(span);
    }
    return out;
}

bool isSafeLink(const QString &href)
{
    const QString scheme = QUrl(href).scheme().toLower();
    return scheme == u"http" || scheme == u"https" || scheme == u"mailto";
}

} // namespace

// Converts one well-formed note document; unknown elements keep their text.
class EnmlConverter
{
public:
    EnmlConverter(const QString &noteTitle, const QList<EnexResource> &resources, ImportLog &log)
        : m_title(noteTitle), m_resources(resources), m_log(log), m_used(resources.size(), false)
    {
        for (int i = 0; i < resources.size(); ++i) {
            if (!resources[i].damaged)
                m_byHash.insert(resources[i].md5Hex, i);
        }
    }

    QString convert(const QString &enml);
    QString unreferencedResources();

private:
    void startElement(QXmlStreamReader &xml);
    bool startSpecial(QXmlStreamReader &xml, const QString &name);
    void open(const QString &tag, const QString &attributes);
    QString media(const QXmlStreamAttributes &attributes);
    QString resourceHtml(int index, const QString &typeHint);
    int claimDamaged() const;

    QString m_title;
    const QList<EnexResource> &m_resources;
    ImportLog &m_log;
    QList<bool> m_used;
    QHash<QByteArray, int> m_byHash;
    QString m_html;
    QStringList m_closers; // what each open element writes when it ends
    int m_pictures = 0;
    int m_attachments = 0;
    bool m_unknownReported = false;
    bool m_depthReported = false;
};

QString EnmlConverter::convert(const QString &enml)
{
    HtmlEntityResolver resolver;
    QXmlStreamReader xml(enml);
    xml.setEntityResolver(&resolver);
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            startElement(xml);
            break;
        case QXmlStreamReader::EndElement:
            if (!m_closers.isEmpty())
                m_html += m_closers.takeLast();
            break;
        case QXmlStreamReader::Characters:
            m_html += xml.text().toString().toHtmlEscaped();
            break;
        case QXmlStreamReader::EntityReference: // unknown entity: keep it visibly
            m_html += (u'&' + xml.name().toString() + u';').toHtmlEscaped();
            break;
        default:
            break;
        }
    }
    return m_html;
}

void EnmlConverter::startElement(QXmlStreamReader &xml)
{
    const QString name = xml.name().toString().toLower();
    if (isDropped(name)) {
        xml.skipCurrentElement();
        return;
    }
    if (startSpecial(xml, name))
        return;
    const auto it = tagMap().constFind(name);
    if (it == tagMap().constEnd() && !m_unknownReported) {
        m_unknownReported = true;
        m_log.skip(m_title, kUnknownConstruct);
    }
    const QString tag = it == tagMap().constEnd() ? QString() : *it;
    if (tag == u"span") {
        const QString style = safeStyle(xml.attributes().value("style"_L1));
        open(style.isEmpty() ? QString() : tag, styleAttribute(style));
    } else if (tag.isEmpty()) {
        open({}, {});
    } else {
        const QString spans = (tag == u"td" || tag == u"th") ? cellSpans(xml.attributes()) : QString();
        open(tag, spans + styleAttribute(safeStyle(xml.attributes().value("style"_L1))));
    }
}

// The elements that are not a plain tag-for-tag copy.
bool EnmlConverter::startSpecial(QXmlStreamReader &xml, const QString &name)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    if (name == u"br" || name == u"hr") {
        m_html += u'<' + name + u'>';
        open({}, {});
    } else if (name == u"table") {
        open(u"table"_s, u" border=\"1\" cellspacing=\"0\" cellpadding=\"3\""_s);
    } else if (name == u"font") {
        const QString style = fontStyle(attributes);
        open(style.isEmpty() ? QString() : u"span"_s, styleAttribute(style));
    } else if (name == u"a") {
        const QString href = attributes.value("href"_L1).trimmed().toString();
        const bool safe = isSafeLink(href);
        open(safe ? u"a"_s : QString(), safe ? u" href=\""_s + href.toHtmlEscaped() + u'"' : QString());
    } else if (name == u"en-todo") {
        const bool done = attributes.value("checked"_L1).trimmed().compare(u"true", Qt::CaseInsensitive) == 0;
        m_html += done ? u"\u2611 "_s : u"\u2610 "_s;
        open({}, {});
    } else if (name == u"en-media") {
        m_html += media(attributes);
        open({}, {});
    } else if (name == u"en-crypt") {
        xml.skipCurrentElement(); // the cipher text means nothing without the pass phrase
        m_html += u"[encrypted text]"_s;
        m_log.skip(m_title, QStringLiteral("encrypted text not imported"));
    } else if (name == u"img") {
        m_html += u"[picture]"_s; // points outside the note; documents never fetch anything
        m_log.skip(m_title, QStringLiteral("picture stored outside the note not imported"));
        open({}, {});
    } else {
        return false;
    }
    return true;
}

void EnmlConverter::open(const QString &tag, const QString &attributes)
{
    if (!tag.isEmpty() && m_closers.size() >= kMaxDepth) {
        if (!m_depthReported) {
            m_depthReported = true;
            m_log.skip(m_title, QStringLiteral("formatting nested too deeply was dropped; its text is kept"));
        }
        m_closers.append(QString());
        return;
    }
    if (!tag.isEmpty())
        m_html += u'<' + tag + attributes + u'>';
    m_closers.append(tag.isEmpty() ? QString() : u"</"_s + tag + u'>');
}

QString EnmlConverter::media(const QXmlStreamAttributes &attributes)
{
    const QString type = attributes.value("type"_L1).trimmed().toString();
    const QByteArray hash = attributes.value("hash"_L1).trimmed().toString().toLower().toLatin1();
    int index = m_byHash.value(hash, -1);
    if (index < 0)
        index = claimDamaged(); // its hash cannot match: the bytes are lost
    if (index >= 0)
        return resourceHtml(index, type);
    const bool picture = type.startsWith(u"image/", Qt::CaseInsensitive) || type.isEmpty();
    m_log.skip(m_title, picture ? QStringLiteral("picture missing from the export")
                                : QStringLiteral("attached file missing from the export"));
    return picture ? u"[picture]"_s : u"[attachment]"_s;
}

int EnmlConverter::claimDamaged() const
{
    for (int i = 0; i < m_resources.size(); ++i) {
        if (m_resources[i].damaged && !m_used[i])
            return i;
    }
    return -1;
}

QString EnmlConverter::resourceHtml(int index, const QString &typeHint)
{
    m_used[index] = true;
    const EnexResource &resource = m_resources[index];
    const QString type = typeHint.isEmpty() ? resource.mime : typeHint;
    const bool picture = type.startsWith(u"image/", Qt::CaseInsensitive);
    const int number = picture ? ++m_pictures : ++m_attachments;
    QString name = resource.fileName.trimmed();
    if (name.isEmpty())
        name = (picture ? u"picture %1"_s : u"attachment %1"_s).arg(number);
    const QString item = m_title + u" / "_s + name;
    const QString attachment = u"[attachment: "_s + name.toHtmlEscaped() + u']';
    if (resource.damaged) {
        m_log.skip(item, picture ? QStringLiteral("the picture's data is damaged")
                                 : QStringLiteral("the attached file's data is damaged"));
        return picture ? u"[picture]"_s : attachment;
    }
    if (!picture) {
        m_log.skip(item, QStringLiteral("attached file not imported"));
        return attachment;
    }
    const QString url = m_log.embedPicture(resource.data, item);
    return url.isEmpty() ? u"[picture]"_s : u"<img src=\""_s + url.toHtmlEscaped() + u"\">"_s;
}

// Files the markup never points at are still part of the note: they go at
// its end, so nothing in the export is silently lost.
QString EnmlConverter::unreferencedResources()
{
    QString out;
    for (int i = 0; i < m_resources.size(); ++i) {
        if (!m_used[i])
            out += u"<p>"_s + resourceHtml(i, {}) + u"</p>"_s;
    }
    return out;
}

namespace {

// Where the markup is not well-formed, if it is not: the line, or 0.
qint64 firstErrorLine(const QString &enml)
{
    HtmlEntityResolver resolver;
    QXmlStreamReader xml(enml);
    xml.setEntityResolver(&resolver);
    while (!xml.atEnd())
        xml.readNext();
    return xml.hasError() ? qMax<qint64>(1, xml.lineNumber()) : 0;
}

QString decodeEntities(const QString &text)
{
    static const QRegularExpression entity(QStringLiteral("&(#[xX][0-9a-fA-F]{1,6}|#[0-9]{1,7}|[A-Za-z]{2,8});"));
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1);
        QString replacement = htmlEntity(name);
        if (name.startsWith(u'#')) {
            bool ok = false;
            const char32_t code = name.startsWith(u"#x", Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16)
                                                                               : name.mid(1).toUInt(&ok);
            replacement = ok && code > 0 && code <= 0x10FFFF ? QString::fromUcs4(&code, 1) : QString();
        }
        out += text.mid(last, m.capturedStart() - last) + (replacement.isEmpty() ? m.captured() : replacement);
        last = m.capturedEnd();
    }
    return out + text.mid(last);
}

// Damaged markup: its text without tags, one paragraph per block or line.
QString plainParagraphs(const QString &markup)
{
    static const QRegularExpression blockEnd(
        QStringLiteral("<(br|hr)\\b[^>]*>|</(p|div|li|h[1-6]|tr|pre|blockquote|table|ul|ol)\\s*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression anyTag(QStringLiteral("<[^>]*>"));
    QString text = markup;
    text.replace(blockEnd, QStringLiteral("\n"));
    text.remove(anyTag);
    QString html;
    for (const QString &line : decodeEntities(text).split(u'\n')) {
        const QString paragraph = line.simplified();
        if (!paragraph.isEmpty())
            html += u"<p>"_s + paragraph.toHtmlEscaped() + u"</p>"_s;
    }
    return html;
}

} // namespace

QString enmlToHtml(const QString &enml, const QString &noteTitle, const QList<EnexResource> &resources,
                   ImportLog &log)
{
    EnmlConverter converter(noteTitle, resources, log);
    const QString document = withDoctype(enml);
    if (enml.trimmed().isEmpty())
        return converter.unreferencedResources();
    if (const qint64 line = firstErrorLine(document)) {
        log.skip(noteTitle, QStringLiteral("the note's markup is damaged (line %1); its text was kept "
                                           "without formatting").arg(line));
        return plainParagraphs(enml) + converter.unreferencedResources();
    }
    const QString html = converter.convert(document);
    return html + converter.unreferencedResources();
}

} // namespace folio
