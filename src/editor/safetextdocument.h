#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QTextDocument>

namespace folio {

// A text document that never reaches outside itself for a resource. A stored
// document is data, not a program: <img src="/etc/passwd">, file: and http:
// pictures, style sheets on disk and the like must not make the program read
// a file (a device such as /dev/zero would never end) or go to the network.
// Pictures come only from data: URLs in the document or from resources added
// to it with addResource(); every other picture shows a placeholder, and
// other resources load as nothing.
class SafeTextDocument : public QTextDocument
{
    Q_OBJECT
public:
    explicit SafeTextDocument(QObject *parent = nullptr);

    // The picture shown for an image the document may not load.
    static QImage placeholderImage();

    // Keeps a picture already decoded for its name, so that the first
    // paint after inserting it does not decode it again.
    void rememberImage(const QString &name, const QImage &image);

    // Forgets decoded and held pictures; for when the whole document is
    // replaced.
    void clearImageCache();

    // Pictures held apart from the text engine: a data: URL of hundreds of
    // kilobytes in an <img src> costs the HTML parser and every repaint
    // (which parses the name as a URL) far more than the picture itself.
    // stashPictures() puts a short name of its own in place of each large
    // data: URL of `html`; restorePictures() puts the data: URLs back, so
    // the HTML that leaves the editor never holds a held name.
    QString stashPictures(const QString &html);
    QString restorePictures(const QString &html) const;
    // Holds one data: URL; returns the name to use for it.
    QString stashPicture(const QString &dataUrl);
    // The data: URL behind a held name, or `name` itself.
    QString pictureSource(const QString &name) const;

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    QImage embeddedImage(const QUrl &name);

    // Decoding a data: picture on every repaint would make scrolling slow.
    QCache<QString, QImage> m_images;
    QHash<QString, QString> m_stash;
    QString m_stashPrefix;  // "folio-stash:<random>-", fresh for every document
};

} // namespace folio
