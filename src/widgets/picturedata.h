#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace folio {

// Pictures are kept inside the document's HTML as data: URLs, so a document
// stays one self-contained page: export, print, backups and other tools see
// the picture, and nothing is left behind when the document goes.

// The longest side a picture is stored with; larger ones are scaled down.
inline constexpr int MaxPictureSide = 1600;
// Files and clipboard data larger than this are refused.
inline constexpr qint64 MaxPictureBytes = 50LL * 1024 * 1024;

// A picture ready to go into a document: its data: URL, its size in pixels
// and the decoded image (for the first paint, and to copy or save).
struct PreparedPicture
{
    QString dataUrl;
    QSize size;
    QImage image;
    QByteArray mimeType;  // image/jpeg, image/png or image/gif
};

// Either a picture or the reason there is none, in words for the user.
struct PictureResult
{
    std::optional<PreparedPicture> picture;
    QString refusal;
};

// From encoded bytes (a file's content or a clipboard format): the
// orientation written by a camera applied, scaled down to MaxPictureSide,
// and stored as JPEG (quality 85) or PNG, whichever is smaller; the bytes as
// they came when they need no change and are smaller still. `name` says
// which picture a refusal is about.
PictureResult preparePicture(const QByteArray &bytes, const QString &name);
// The same from a decoded image (a picture on the clipboard without bytes).
PictureResult preparePicture(const QImage &image, const QString &name);
// The same from a file, refused unread when it is larger than MaxPictureBytes.
PictureResult preparePictureFile(const QString &path);

// Whether a file name ends like a picture the program reads.
bool looksLikePictureFile(const QString &path);
// The file dialog's filter for pictures.
QString pictureFileFilter();

// The bytes and media type of a data: URL, or nothing when it is not one.
struct DataUrlContent
{
    QByteArray bytes;
    QByteArray mimeType;
};
std::optional<DataUrlContent> decodeDataUrl(const QString &url);
// The file name suffix for a picture's media type ("jpg", "png", ...).
QString pictureSuffix(const QByteArray &mimeType);

} // namespace folio
