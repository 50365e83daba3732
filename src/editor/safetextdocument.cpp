#include "editor/safetextdocument.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QUrl>

#include <optional>

namespace folio {

namespace {

constexpr qsizetype ImageCacheBytes = 64 * 1024 * 1024;

// The payload of a data: URL (data:[<media type>][;base64],<data>), or
// nothing when `url` is not one.
std::optional<QByteArray> dataUrlPayload(const QUrl &url)
{
    if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    const qsizetype comma = path.indexOf(',');
    if (comma < 0)
        return std::nullopt;
    const QByteArray header = path.left(comma).toLower();
    const QByteArray payload = QByteArray::fromPercentEncoding(path.mid(comma + 1));
    if (header.endsWith(";base64"))
        return QByteArray::fromBase64(payload);
    return payload;
}

} // namespace

SafeTextDocument::SafeTextDocument(QObject *parent)
    : QTextDocument(parent)
    , m_images(ImageCacheBytes)
{
    // A provider set for the whole application would be asked before
    // loadResource(); this one declines, so the rules here always apply.
    setResourceProvider([](const QUrl &) { return QVariant(); });
}

QImage SafeTextDocument::placeholderImage()
{
    static const QImage picture = [] {
        QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(0xe0, 0xe0, 0xe0));
        QPainter painter(&image);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(0, 0, 15, 15);
        painter.setPen(QColor(0xc0, 0x00, 0x00));
        painter.drawLine(4, 4, 11, 11);
        painter.drawLine(4, 11, 11, 4);
        return image;
    }();
    return picture;
}

void SafeTextDocument::rememberImage(const QString &name, const QImage &image)
{
    m_images.insert(QUrl(name).toString(), new QImage(image), qMax<qsizetype>(1, image.sizeInBytes()));
}

void SafeTextDocument::clearImageCache()
{
    m_images.clear();
    m_stash.clear();
    // A new prefix for every document: a name that came in with a page
    // (or is left in an undo step of the last one) never meets a held one.
    m_stashPrefix = QStringLiteral("folio-stash:%1-").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

QString SafeTextDocument::stashPicture(const QString &dataUrl)
{
    if (m_stashPrefix.isEmpty())
        clearImageCache();
    const QString name = m_stashPrefix + QString::number(m_stash.size() + 1);
    m_stash.insert(name, dataUrl);
    return name;
}

QString SafeTextDocument::pictureSource(const QString &name) const
{
    return m_stash.value(name, name);
}

namespace {

// Whether `data:` at `at` starts a quoted src attribute's value: src = "data:
// (the quote is returned in `quote`). Read backwards, so the pictures'
// own megabytes are passed over by a plain search for "data:".
bool startsSourceValue(QStringView html, qsizetype at, QChar *quote)
{
    qsizetype i = at - 1;
    if (i < 0 || (html[i] != QLatin1Char('"') && html[i] != QLatin1Char('\'')))
        return false;
    *quote = html[i--];
    while (i >= 0 && html[i].isSpace())
        --i;
    if (i < 0 || html[i] != QLatin1Char('='))
        return false;
    --i;
    while (i >= 0 && html[i].isSpace())
        --i;
    if (i < 2 || html.mid(i - 2, 3).compare(QLatin1String("src"), Qt::CaseInsensitive) != 0)
        return false;
    return i < 3 || !html[i - 3].isLetterOrNumber();
}

} // namespace

QString SafeTextDocument::stashPictures(const QString &html)
{
    // Only pictures worth it: a short data: URL costs nothing to parse.
    constexpr qsizetype LargeUrl = 1024;
    const QStringView view(html);
    QString result;
    qsizetype done = 0;
    for (qsizetype at = view.indexOf(QLatin1String("data:")); at >= 0;
         at = view.indexOf(QLatin1String("data:"), at + 1)) {
        QChar quote;
        if (!startsSourceValue(view, at, &quote))
            continue;
        const qsizetype end = view.indexOf(quote, at);
        if (end < 0)
            break;
        if (end - at >= LargeUrl) {
            result += view.mid(done, at - done);
            // The text engine reads attribute values with entities resolved;
            // a data: URL holds none that matter but "&amp;".
            QString url = html.mid(at, end - at);
            url.replace(QLatin1String("&amp;"), QLatin1String("&"));
            result += stashPicture(url);
            done = end;
        }
        at = end;
    }
    if (done == 0)
        return html;
    result += view.mid(done);
    return result;
}

QString SafeTextDocument::restorePictures(const QString &html) const
{
    if (m_stash.isEmpty() || m_stashPrefix.isEmpty())
        return html;
    QString result;
    qsizetype done = 0;
    for (qsizetype at = html.indexOf(m_stashPrefix); at >= 0; at = html.indexOf(m_stashPrefix, at + 1)) {
        qsizetype end = at + m_stashPrefix.size();
        while (end < html.size() && html.at(end).isDigit())
            ++end;
        const auto held = m_stash.constFind(html.mid(at, end - at));
        if (held == m_stash.cend())
            continue;
        result += QStringView(html).mid(done, at - done);
        result += held->toHtmlEscaped();
        done = end;
        at = end - 1;
    }
    if (done == 0)
        return html;
    result += QStringView(html).mid(done);
    return result;
}

QVariant SafeTextDocument::loadResource(int type, const QUrl &name)
{
    // The base class would read files and ask the parent widget; it is
    // deliberately not called.
    if (type == ImageResource)
        return embeddedImage(name);
    if (type == StyleSheetResource) {
        const std::optional<QByteArray> sheet = dataUrlPayload(name);
        return sheet ? QString::fromUtf8(*sheet) : QString();
    }
    return {};
}

QImage SafeTextDocument::embeddedImage(const QUrl &name)
{
    const QString key = name.toString();
    if (const QImage *cached = m_images.object(key))
        return *cached;
    const auto held = m_stash.constFind(key);
    const std::optional<QByteArray> payload =
        held != m_stash.cend() ? dataUrlPayload(QUrl(*held)) : dataUrlPayload(name);
    if (!payload)
        return placeholderImage();
    // A picture that does not decode must still show something: the text
    // engine would otherwise try to open the name as a file itself.
    QImage image = QImage::fromData(*payload);
    if (image.isNull())
        image = placeholderImage();
    m_images.insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes()));
    return image;
}

} // namespace folio
