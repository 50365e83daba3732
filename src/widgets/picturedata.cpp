#include "widgets/picturedata.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QUrl>

#include <algorithm>

namespace folio {

namespace {

constexpr int JpegQuality = 85;

QString tooLarge(const QString &name)
{
    return QStringLiteral("The picture \"%1\" was not inserted: it is larger than 50 MB.").arg(name);
}

QString unreadable(const QString &name)
{
    return QStringLiteral("The picture \"%1\" was not inserted: it is damaged or not a picture this program "
                          "can read.")
        .arg(name);
}

QByteArray encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

// Whether every pixel is fully opaque: JPEG has no transparency.
bool isOpaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return true;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return false;
        }
    }
    return true;
}

QSize fitted(QSize size)
{
    if (size.width() <= MaxPictureSide && size.height() <= MaxPictureSide)
        return size;
    return size.scaled(MaxPictureSide, MaxPictureSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// Chooses the smallest of the encodings a picture may be stored in.
PreparedPicture stored(const QImage &image, const QByteArray &original, const QByteArray &originalType)
{
    QByteArray best = encoded(image, "png");
    QByteArray type = "image/png";
    if (isOpaque(image)) {
        const QByteArray jpeg = encoded(image.convertToFormat(QImage::Format_RGB32), "jpeg", JpegQuality);
        if (!jpeg.isEmpty() && (best.isEmpty() || jpeg.size() < best.size())) {
            best = jpeg;
            type = "image/jpeg";
        }
    }
    if (!original.isEmpty() && (best.isEmpty() || original.size() <= best.size())) {
        best = original;
        type = originalType;
    }
    PreparedPicture picture;
    picture.dataUrl = QStringLiteral("data:%1;base64,%2").arg(QLatin1String(type), QLatin1String(best.toBase64()));
    picture.size = image.size();
    picture.image = image;
    picture.mimeType = type;
    return picture;
}

} // namespace

PictureResult preparePicture(const QByteArray &bytes, const QString &name)
{
    if (bytes.size() > MaxPictureBytes)
        return {std::nullopt, tooLarge(name)};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format().toLower();
    const QSize size = reader.size();
    // Decoded straight at the stored size where the format allows it: a
    // photograph of 50 megapixels is not held whole in memory. Fitting into
    // a square does not depend on the orientation.
    const QSize target = size.isValid() ? fitted(size) : QSize();
    if (size.isValid() && target != size && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull())
        return {std::nullopt, unreadable(name)};
    const bool turned = reader.transformation() != QImageIOHandler::TransformationNone;
    const QSize shown = fitted(image.size());
    if (shown != image.size())
        image = image.scaled(shown, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // The bytes as they came are kept when nothing about them had to change.
    QByteArray original, originalType;
    if (!turned && image.size() == size) {
        if (format == "jpeg" || format == "jpg")
            originalType = "image/jpeg";
        else if (format == "png")
            originalType = "image/png";
        else if (format == "gif")
            originalType = "image/gif";
        if (!originalType.isEmpty())
            original = bytes;
    }
    return {stored(image, original, originalType), {}};
}

PictureResult preparePicture(const QImage &image, const QString &name)
{
    if (image.isNull())
        return {std::nullopt, unreadable(name)};
    if (image.sizeInBytes() > 4 * MaxPictureBytes)
        return {std::nullopt, tooLarge(name)};
    const QSize shown = fitted(image.size());
    const QImage scaled =
        shown == image.size() ? image : image.scaled(shown, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return {stored(scaled, {}, {}), {}};
}

PictureResult preparePictureFile(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (info.size() > MaxPictureBytes)
        return {std::nullopt, tooLarge(name)};
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("The picture \"%1\" was not inserted: the file cannot be read.").arg(name)};
    // Read at most one byte more than the file had: a file that grew
    // meanwhile is cut and refused as damaged, and no buffer of the largest
    // size allowed is reserved for a small picture.
    const QByteArray bytes = file.read(std::min(info.size(), MaxPictureBytes) + 1);
    return preparePicture(bytes, name);
}

bool looksLikePictureFile(const QString &path)
{
    static const QStringList suffixes = {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                         QStringLiteral("gif"), QStringLiteral("bmp"), QStringLiteral("webp")};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

QString pictureFileFilter()
{
    return QStringLiteral("Pictures (*.png *.jpg *.jpeg *.gif *.bmp *.webp)");
}

std::optional<DataUrlContent> decodeDataUrl(const QString &url)
{
    if (!url.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return std::nullopt;
    const qsizetype comma = url.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    const QString header = url.mid(5, comma - 5).toLower();
    DataUrlContent content;
    content.mimeType = header.section(QLatin1Char(';'), 0, 0).toLatin1();
    const QByteArray payload = QByteArray::fromPercentEncoding(url.mid(comma + 1).toLatin1());
    content.bytes = header.endsWith(QLatin1String(";base64")) ? QByteArray::fromBase64(payload) : payload;
    return content;
}

QString pictureSuffix(const QByteArray &mimeType)
{
    if (mimeType == "image/jpeg")
        return QStringLiteral("jpg");
    if (mimeType.startsWith("image/") && mimeType.size() > 6)
        return QString::fromLatin1(mimeType.mid(6));
    return QStringLiteral("png");
}

} // namespace folio
