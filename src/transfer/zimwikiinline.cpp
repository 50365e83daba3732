// Inline Zim wiki markup to HTML. Markup never spans a line, and searching
// for a closing marker remembers where a search failed, so even a huge line
// full of unmatched markers is read in one pass.

#include "transfer/zimwikiinline.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <iterator>

namespace folio {
namespace {

constexpr qint64 MaxPictureBytes = 50LL * 1024 * 1024;
constexpr int MaxInlineDepth = 8; // markup inside markup, e.g. **//x//**

QString esc(QStringView text) { return text.toString().toHtmlEscaped(); }

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// ---- links and pictures ----

// A file path of a link or picture: relative ones belong to the page's
// attachment folder, as the wiki program resolves them.
QString localPath(const QString &target, const ZimPageContext &ctx)
{
    if (target.startsWith(QLatin1String("file:")))
        return QUrl(target).toLocalFile();
    if (target.startsWith(QLatin1String("~/")))
        return QDir::home().filePath(target.mid(2));
    if (QDir::isAbsolutePath(target))
        return QDir::cleanPath(target);
    return QDir::cleanPath(ctx.attachments.filePath(target));
}

bool isFileTarget(const QString &target)
{
    static const QRegularExpression re(QStringLiteral("^(\\.\\.?/|/|~/|file:/)"));
    return re.match(target).hasMatch();
}

bool isEmailAddress(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^[\\w.+-]+@([\\w-]+\\.)+[\\w-]+$"));
    return re.match(text).hasMatch();
}

// The href for a link target, or "" for a page of the notebook and for
// addresses we do not let become links.
QString linkHref(const QString &target, const ZimPageContext &ctx)
{
    static const QRegularExpression scheme(QStringLiteral("^([a-zA-Z][\\w+.-]*)://"));
    const auto m = scheme.match(target);
    if (m.hasMatch()) {
        const QString s = m.captured(1).toLower();
        return (s == QLatin1String("http") || s == QLatin1String("https") || s == QLatin1String("file")) ? target
                                                                                                           : QString();
    }
    if (target.startsWith(QLatin1String("mailto:")))
        return target;
    if (isEmailAddress(target))
        return QStringLiteral("mailto:") + target;
    if (isFileTarget(target))
        return QUrl::fromLocalFile(localPath(target, ctx)).toString(QUrl::FullyEncoded);
    return {};
}

bool isPageTarget(const QString &target)
{
    return !target.contains(QLatin1String("://")) && !target.startsWith(QLatin1String("mailto:"));
}

QString inlineHtml(QStringView text, ZimPageContext &ctx, int depth, bool links);

// "[[target]]" or "[[target|label]]": pages of the notebook stay visible as
// underlined text, addresses outside become links.
QString linkHtml(QStringView content, ZimPageContext &ctx, int depth)
{
    QString inner = content.toString();
    while (inner.startsWith(QLatin1Char('|')))
        inner.remove(0, 1);
    while (inner.endsWith(QLatin1Char('|')))
        inner.chop(1);
    if (inner.trimmed().isEmpty())
        return {};
    const qsizetype bar = inner.indexOf(QLatin1Char('|'));
    const QString target = bar < 0 ? inner : inner.left(bar).trimmed();
    const QString label = bar < 0 ? esc(inner) : inlineHtml(QStringView(inner).mid(bar + 1), ctx, depth + 1, false);
    const QString href = linkHref(target, ctx);
    if (!href.isEmpty())
        return QStringLiteral("<a href=\"%1\">%2</a>").arg(href.toHtmlEscaped(), label);
    return isPageTarget(target) ? QStringLiteral("<u>%1</u>").arg(label) : label;
}

QString readPicture(const QString &path, const QString &item, ImportLog &log)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        log.skip(item, QStringLiteral("the picture file is missing"));
        return {};
    }
    if (info.size() > MaxPictureBytes) {
        log.skip(item, QStringLiteral("too large (over 50 MB)"));
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log.skip(item, QStringLiteral("the picture could not be read: %1").arg(file.errorString()));
        return {};
    }
    return log.embedPicture(file.readAll(), item);
}

// "{{./picture.png?width=200|text}}": the picture itself goes into the
// document; what cannot be read leaves a placeholder with its name.
QString pictureHtml(QStringView content, ZimPageContext &ctx)
{
    static const QRegularExpression anchor(QStringLiteral("^id:\\s+\\w[\\w-]+\\s*$"));
    if (anchor.match(content).hasMatch())
        return {}; // an invisible anchor for links inside the page
    const QString source = content.toString().section(QLatin1Char('|'), 0, 0);
    const QString path = source.section(QLatin1Char('?'), 0, 0);
    const QString name = QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
    const QString item = QStringLiteral("%1 / picture %2").arg(ctx.item, name);
    QString url;
    if (linkHref(path, ctx).startsWith(QLatin1String("http")))
        ctx.log.skip(item, QStringLiteral("pictures on the web are not fetched"));
    else
        url = readPicture(localPath(path, ctx), item, ctx.log);
    if (url.isEmpty())
        return esc(QStringLiteral("[picture: %1]").arg(name));
    QString attributes;
    static const QRegularExpression size(QStringLiteral("(?:^|&)(width|height)=(\\d+)"));
    for (const auto &m : size.globalMatch(source.section(QLatin1Char('?'), 1)))
        attributes += QStringLiteral(" %1=\"%2\"").arg(m.captured(1), m.captured(2));
    return QStringLiteral("<img src=\"%1\"%2>").arg(url.toHtmlEscaped(), attributes);
}

// ---- inline markup ----

// Pairs of markers and the HTML they become.
struct InlineStyle
{
    const char16_t *open;
    const char16_t *close;
    bool needsText; // at least one character between the markers
    const char *before;
    const char *after;
};

const InlineStyle Styles[] = {
    {u"//", u"//", false, "<i>", "</i>"},
    {u"**", u"**", false, "<b>", "</b>"},
    {u"__", u"__", false, "<span style=\"background-color:#ffff00\">", "</span>"},
    {u"_{", u"}", true, "<sub>", "</sub>"},
    {u"^{", u"}", true, "<sup>", "</sup>"},
    {u"~~", u"~~", true, "<s>", "</s>"},
    {u"''", u"''", true, "<code>", "</code>"},
    {u"[[", u"]]", false, "", ""},
    {u"{{", u"}}", false, "", ""},
};
constexpr int StyleCount = int(std::size(Styles));
constexpr int LinkStyle = StyleCount - 2;
constexpr int PictureStyle = StyleCount - 1;

struct Piece
{
    qsizetype length = 0;
    QString html;
};

class InlineScanner
{
public:
    InlineScanner(QStringView text, ZimPageContext &ctx, int depth, bool links)
        : m_text(text), m_ctx(ctx), m_depth(depth), m_links(links)
    {
        std::fill(std::begin(m_failedFrom), std::end(m_failedFrom), text.size() + 1);
    }

    QString run()
    {
        QString out;
        qsizetype plain = 0;
        for (qsizetype i = 0; i < m_text.size();) {
            const Piece piece = pieceAt(i);
            if (piece.length == 0) {
                ++i;
                continue;
            }
            out += esc(m_text.mid(plain, i - plain)) + piece.html;
            i += piece.length;
            plain = i;
        }
        return out + esc(m_text.mid(plain));
    }

private:
    Piece pieceAt(qsizetype i)
    {
        if (m_links && (i == 0 || !isWordChar(m_text[i - 1])) && isWordChar(m_text[i])) {
            if (const Piece url = bareUrl(i); url.length)
                return url;
        }
        if (!QStringView(u"/*_^~'[{").contains(m_text[i]))
            return {}; // no marker starts here
        for (int s = 0; s < StyleCount; ++s) {
            if ((s == LinkStyle || s == PictureStyle) && !m_links)
                continue;
            if (const Piece piece = styled(i, s); piece.length)
                return piece;
        }
        return {};
    }

    Piece styled(qsizetype i, int s)
    {
        const InlineStyle &style = Styles[s];
        const QStringView open(style.open), close(style.close);
        if (!m_text.mid(i).startsWith(open))
            return {};
        const qsizetype from = i + open.size();
        if (from < m_text.size() && m_text[from] == open[0])
            return {}; // "***" or "[[[" is not this marker
        const qsizetype end = findClose(s, from + (style.needsText ? 1 : 0));
        if (end < 0)
            return {};
        const QStringView inner = m_text.mid(from, end - from);
        const qsizetype length = end + close.size() - i;
        if (s == LinkStyle)
            return {length, linkHtml(inner, m_ctx, m_depth)};
        if (s == PictureStyle)
            return {length, pictureHtml(inner, m_ctx)};
        const QString body = QStringView(style.open) == u"''" ? esc(inner)
                                                               : inlineHtml(inner, m_ctx, m_depth + 1, m_links);
        return {length, QLatin1String(style.before) + body + QLatin1String(style.after)};
    }

    qsizetype findClose(int s, qsizetype from)
    {
        if (from >= m_failedFrom[s])
            return -1;
        const QStringView close(Styles[s].close);
        for (qsizetype at = from; (at = m_text.indexOf(close, at)) >= 0; ++at) {
            // "http://" inside italics does not end them
            if (close != u"//" || at == 0 || m_text[at - 1] != QLatin1Char(':'))
                return at;
        }
        m_failedFrom[s] = from;
        return -1;
    }

    Piece bareUrl(qsizetype i);
    qsizetype emailLength(qsizetype i);

    QStringView m_text;
    ZimPageContext &m_ctx;
    int m_depth;
    bool m_links;
    qsizetype m_failedFrom[StyleCount];
    qsizetype m_emailFailedUntil = -1;
};

// An e-mail address starting at i, or 0. A run of address characters
// that proved not to be one is not tried again from inside it.
qsizetype InlineScanner::emailLength(qsizetype i)
{
    if (i < m_emailFailedUntil)
        return 0;
    auto local = [](QChar c) { return isWordChar(c) || c == u'.' || c == u'-' || c == u'+'; };
    qsizetype at = i;
    while (at < m_text.size() && local(m_text[at]))
        ++at;
    if (at < m_text.size() && m_text[at] == u'@') {
        qsizetype end = at + 1;
        while (end < m_text.size() && (isWordChar(m_text[end]) || m_text[end] == u'-' || m_text[end] == u'.'))
            ++end;
        while (end > at + 1 && m_text[end - 1] == u'.')
            --end; // the full stop of the sentence
        const qsizetype dot = m_text.mid(at, end - at).lastIndexOf(u'.');
        if (at > i && dot > 1 && m_text[at + 1] != u'.')
            return end - i;
    }
    m_emailFailedUntil = at;
    return 0;
}

// A web address written out in the text ("https://…", "www.…", "mailto:…",
// an e-mail address). Trailing punctuation belongs to the sentence.
Piece InlineScanner::bareUrl(qsizetype i)
{
    const QStringView rest = m_text.mid(i);
    static const QRegularExpression start(QStringLiteral("^(www\\.|\\w+://[\\w-]|file:/|mailto:)"));
    const auto m = start.match(rest.left(64));
    if (!m.hasMatch()) {
        if (const qsizetype length = emailLength(i))
            return {length, QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(esc(rest.left(length)))};
        return {};
    }
    qsizetype end = 0;
    while (end < rest.size() && !rest[end].isSpace() && rest[end] != u'<')
        ++end;
    qsizetype opened = rest.left(end).count(u'('), closed = rest.left(end).count(u')');
    while (end > m.capturedLength()) {
        const QChar last = rest[end - 1];
        if (QStringView(u"?!.,:*_~;'\"").contains(last) || (last == u')' && closed > opened)) {
            closed -= last == u')';
            --end;
        } else {
            break;
        }
    }
    const QString url = rest.left(end).toString();
    QString href = url.startsWith(QLatin1String("www.")) ? QStringLiteral("http://") + url : linkHref(url, m_ctx);
    if (href.isEmpty())
        return {end, esc(url)};
    return {end, QStringLiteral("<a href=\"%1\">%2</a>").arg(href.toHtmlEscaped(), esc(url))};
}

QString inlineHtml(QStringView text, ZimPageContext &ctx, int depth, bool links)
{
    if (depth > MaxInlineDepth)
        return esc(text);
    return InlineScanner(text, ctx, depth, links).run();
}

} // namespace

QString zimInlineHtml(QStringView line, ZimPageContext &ctx)
{
    return inlineHtml(line, ctx, 0, true);
}

} // namespace folio
