#include "widgets/dragpayload.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QPixmap>
#include <QStyle>

namespace folio {

namespace {

constexpr quint32 PayloadVersion = 1;
// More numbers than any list holds: a longer count means damaged data.
constexpr quint32 MaxNumbers = 10'000'000;

QByteArray encode(const QString &base, const QList<qint64> &nums)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << PayloadVersion << base << quint32(nums.size());
    for (qint64 n : nums)
        out << n;
    return bytes;
}

std::optional<QList<qint64>> decode(const QMimeData *data, const char *type, const QString &base)
{
    if (!data || !data->hasFormat(QLatin1String(type)))
        return std::nullopt;
    QDataStream in(data->data(QLatin1String(type)));
    quint32 version = 0;
    QString from;
    quint32 count = 0;
    in >> version >> from >> count;
    if (in.status() != QDataStream::Ok || version != PayloadVersion || from != base || count > MaxNumbers)
        return std::nullopt;
    QList<qint64> nums;
    for (quint32 i = 0; i < count; ++i) {
        qint64 n = 0;
        in >> n;
        if (in.status() != QDataStream::Ok || n <= 0)
            return std::nullopt;
        nums.append(n);
    }
    return nums;
}

} // namespace

QMimeData *documentsMimeData(const QString &base, const QList<DocNum> &docs)
{
    auto *data = new QMimeData;
    data->setData(QLatin1String(DocumentsMimeType), encode(base, docs));
    return data;
}

QMimeData *folderMimeData(const QString &base, DirNum folder)
{
    auto *data = new QMimeData;
    data->setData(QLatin1String(FolderMimeType), encode(base, {folder}));
    return data;
}

std::optional<QList<DocNum>> documentsFromMimeData(const QMimeData *data, const QString &base)
{
    std::optional<QList<qint64>> nums = decode(data, DocumentsMimeType, base);
    if (!nums || nums->isEmpty())
        return std::nullopt;
    return nums;
}

std::optional<DirNum> folderFromMimeData(const QMimeData *data, const QString &base)
{
    const std::optional<QList<qint64>> nums = decode(data, FolderMimeType, base);
    if (!nums || nums->size() != 1)
        return std::nullopt;
    return nums->first();
}

QPixmap dragPicture(const QStyle *style, bool rightButton)
{
    return style->standardPixmap(rightButton ? QStyle::SP_FileLinkIcon : QStyle::SP_DirIcon);
}

} // namespace folio
