#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>

namespace folio {

// What a reader makes of a source before anything is written: a tree of
// folders holding documents. The writer stores it in one transaction.

struct ImportedDocument
{
    QString title;
    // The inside of the page's <body> for readers of other formats; a whole
    // HTML page for HTML files (bodyIsPage).
    QString html;
    bool bodyIsPage = false;
};

struct ImportedFolder
{
    QString name;
    QList<ImportedDocument> documents;
    QList<ImportedFolder> folders;
};

// One thing a reader could not take whole: the item (a file, a note's
// title, "note 'x' / picture 2") and why, in words for the user.
struct SkippedItem
{
    QString item;
    QString reason;
};

// Thrown by a reader when the source as a whole cannot be read (not the
// format its name says, not readable at all). Nothing is written then.
struct ImportFailure
{
    QString message;
};

// What a reader is given besides the source: where to report skipped parts,
// how to turn picture bytes into a data: URL, the cancel flag and progress.
class ImportLog
{
public:
    // Returns the picture as a data: URL ready for an <img src>, or an empty
    // string with `refusal` set (damaged, unknown format, too large).
    using PictureEmbedder = std::function<QString(const QByteArray &bytes, const QString &name, QString *refusal)>;
    using Progress = std::function<void(int percent)>;

    ImportLog(PictureEmbedder embedder, const std::atomic<bool> *cancel = nullptr, Progress progress = {})
        : m_embedder(std::move(embedder)), m_cancel(cancel), m_progress(std::move(progress))
    {
    }

    void skip(const QString &item, const QString &reason) { m_skipped.append({item, reason}); }
    const QList<SkippedItem> &skipped() const { return m_skipped; }

    // Readers check this between items and return early (what they return
    // is thrown away).
    bool cancelled() const { return m_cancel && m_cancel->load(); }
    void progress(int percent) const
    {
        if (m_progress)
            m_progress(percent);
    }

    // The picture as a data: URL; an empty string (and a skipped item named
    // `item`) when it cannot be embedded.
    QString embedPicture(const QByteArray &bytes, const QString &item)
    {
        QString refusal;
        const QString url = m_embedder ? m_embedder(bytes, item, &refusal) : QString();
        if (url.isEmpty())
            skip(item, refusal.isEmpty() ? QStringLiteral("the picture could not be read") : refusal);
        return url;
    }

private:
    PictureEmbedder m_embedder;
    const std::atomic<bool> *m_cancel = nullptr;
    Progress m_progress;
    QList<SkippedItem> m_skipped;
};

} // namespace folio
