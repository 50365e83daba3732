#include "editor/safetextdocument.h"

#include <QPainter>
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
    const std::optional<QByteArray> payload = dataUrlPayload(name);
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
