#include "editor/boundedtextedit.h"

#include "editor/htmleditor.h"
#include "editor/safetextdocument.h"
#include "storage/htmltext.h"
#include "widgets/picturedata.h"
#include "widgets/prompts.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

namespace folio {

namespace {

// Clipboard formats that carry a picture's own bytes, best first: the bytes
// keep a JPEG a JPEG where the decoded image would be stored again.
const char *const PictureFormats[] = {"image/jpeg", "image/png", "image/gif", "image/webp", "image/bmp"};

QStringList localPictureFiles(const QMimeData *source)
{
    QStringList files;
    if (!source->hasUrls())
        return files;
    for (const QUrl &url : source->urls()) {
        if (url.isLocalFile() && looksLikePictureFile(url.toLocalFile()))
            files << url.toLocalFile();
    }
    return files;
}

} // namespace

BoundedTextEdit::BoundedTextEdit(QWidget *parent)
    : QTextEdit(parent)
{
}

QString BoundedTextEdit::withoutOutsidePictures(const QString &html)
{
    static const QRegularExpression image(QStringLiteral("<img\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression source(QStringLiteral("\\bsrc\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString result;
    qsizetype done = 0;
    QRegularExpressionMatchIterator it = image.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch tag = it.next();
        const QRegularExpressionMatch src = source.match(tag.captured());
        QString address;
        if (src.hasMatch())
            address = src.captured(1) + src.captured(2) + src.captured(3);
        const QString plain = QTextDocumentFragment::fromHtml(address).toPlainText().trimmed();
        if (plain.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
            continue;  // a picture inside the page: kept as it is
        result += QStringView(html).mid(done, tag.capturedStart() - done);
        if (!plain.isEmpty())
            result += QStringLiteral("<a href=\"%1\">%1</a>").arg(plain.toHtmlEscaped());
        done = tag.capturedEnd();
    }
    if (done == 0)
        return html;
    result += QStringView(html).mid(done);
    return result;
}

bool BoundedTextEdit::canInsertFromMimeData(const QMimeData *source) const
{
    if (!isReadOnly() && source && (source->hasImage() || !localPictureFiles(source).isEmpty()))
        return true;
    return QTextEdit::canInsertFromMimeData(source);
}

void BoundedTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || isReadOnly()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    if (insertPictureData(source))
        return;
    if (!source->hasHtml()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QString html = withoutOutsidePictures(source->html());
    if (auto *safe = qobject_cast<SafeTextDocument *>(document()))
        html = safe->stashPictures(html);
    QMimeData bounded;
    bounded.setHtml(HtmlEditor::boundedHtml(html));
    if (source->hasText())
        bounded.setText(source->text());
    QTextEdit::insertFromMimeData(&bounded);
}

// Picture files and a picture on the clipboard; false when `source` holds
// neither (or holds a picture within text, which goes in as HTML).
bool BoundedTextEdit::insertPictureData(const QMimeData *source)
{
    const QStringList files = localPictureFiles(source);
    if (!files.isEmpty()) {
        for (const QString &file : files)
            insertPictureFile(file);
        return true;
    }
    if (!source->hasImage() || (source->hasHtml() && !visibleText(source->html()).trimmed().isEmpty()))
        return false;
    const QString name = QStringLiteral("from the clipboard");
    PictureResult result;
    for (const char *format : PictureFormats) {
        if (source->hasFormat(QLatin1String(format))) {
            result = preparePicture(source->data(QLatin1String(format)), name);
            break;
        }
    }
    if (!result.picture)
        result = preparePicture(qvariant_cast<QImage>(source->imageData()), name);
    if (result.picture)
        insertPicture(*result.picture);
    else
        Q_EMIT pictureRefused(result.refusal);
    return true;
}

bool BoundedTextEdit::insertPictureFile(const QString &path)
{
    const PictureResult result = preparePictureFile(path);
    if (!result.picture) {
        Q_EMIT pictureRefused(result.refusal);
        return false;
    }
    insertPicture(*result.picture);
    return true;
}

QMimeData *BoundedTextEdit::createMimeDataFromSelection() const
{
    QMimeData *data = QTextEdit::createMimeDataFromSelection();
    auto *safe = qobject_cast<SafeTextDocument *>(document());
    if (data && safe && data->hasHtml())
        data->setHtml(safe->restorePictures(data->html()));
    return data;
}

QString BoundedTextEdit::pictureSource(const QString &name) const
{
    auto *safe = qobject_cast<SafeTextDocument *>(document());
    return safe ? safe->pictureSource(name) : name;
}

void BoundedTextEdit::insertPicture(const PreparedPicture &picture)
{
    QString name = picture.dataUrl;
    if (auto *safe = qobject_cast<SafeTextDocument *>(document())) {
        name = safe->stashPicture(picture.dataUrl);
        safe->rememberImage(name, picture.image);
    }
    // Shown at its own size, or as wide as the page when it is wider.
    QSizeF shown = picture.size;
    const qreal page = pageWidth();
    if (page > 0 && shown.width() > page)
        shown = QSizeF(page, shown.height() * page / shown.width());
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(qRound(shown.width()));
    format.setHeight(qRound(shown.height()));
    textCursor().insertImage(format);
}

// The width a picture may take without making the text scroll sideways:
// the page less its margins and the caret beside the picture.
qreal BoundedTextEdit::pageWidth() const
{
    return document()->textWidth() - 2 * document()->documentMargin() - cursorWidth() - 1;
}

QString BoundedTextEdit::pictureNameAt(int position) const
{
    if (position < 0)
        return {};
    const QTextBlock block = document()->findBlock(position);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.contains(position))
            return fragment.charFormat().isImageFormat() ? fragment.charFormat().toImageFormat().name() : QString();
    }
    return {};
}

QImage BoundedTextEdit::pictureImage(const QString &name) const
{
    return qvariant_cast<QImage>(document()->resource(QTextDocument::ImageResource, QUrl(name)));
}

bool BoundedTextEdit::setPictureScale(int position, int percent)
{
    const QString name = pictureNameAt(position);
    if (name.isEmpty() || isReadOnly())
        return false;
    const QImage image = pictureImage(name);
    if (image.isNull() || image.width() == 0)
        return false;
    qreal width = image.width() * percent / 100.0;
    if (percent <= 0)
        width = qMax<qreal>(1, pageWidth());
    QTextCursor cursor(document());
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    QTextImageFormat format = cursor.charFormat().toImageFormat();
    format.setWidth(qMax(1, qRound(width)));
    format.setHeight(qMax(1, qRound(image.height() * width / image.width())));
    cursor.setCharFormat(format);
    return true;
}

bool BoundedTextEdit::copyPicture(int position) const
{
    const QString name = pictureNameAt(position);
    const QImage image = name.isEmpty() ? QImage() : pictureImage(name);
    if (image.isNull())
        return false;
    auto *data = new QMimeData;
    data->setImageData(image);
    if (const std::optional<DataUrlContent> stored = decodeDataUrl(pictureSource(name)))
        data->setData(QString::fromLatin1(stored->mimeType), stored->bytes);
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

bool BoundedTextEdit::savePictureAs(int position)
{
    const std::optional<DataUrlContent> stored = decodeDataUrl(pictureSource(pictureNameAt(position)));
    if (!stored || !m_saveFile)
        return false;
    const QString suffix = pictureSuffix(stored->mimeType);
    const std::optional<QString> path =
        m_saveFile->saveFileName(QStringLiteral("Save Picture As"), QDir::home().filePath(QStringLiteral("picture.") + suffix),
                                 {QStringLiteral("Pictures (*.%1)").arg(suffix)}, 0, this);
    if (!path)
        return false;
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || file.write(stored->bytes) != stored->bytes.size() || !file.commit()) {
        Q_EMIT pictureRefused(QStringLiteral("The picture could not be saved as \"%1\": %2").arg(*path, file.errorString()));
        return false;
    }
    return true;
}

int BoundedTextEdit::pictureAtPoint(const QPoint &viewportPoint) const
{
    const QPointF point(viewportPoint.x() + horizontalScrollBar()->value(),
                        viewportPoint.y() + verticalScrollBar()->value());
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    const QString name = layout->imageAt(point);
    if (name.isEmpty())
        return -1;
    const int hit = layout->hitTest(point, Qt::FuzzyHit);
    for (const int position : {hit, hit - 1}) {
        if (pictureNameAt(position) == name)
            return position;
    }
    return -1;
}

QMenu *BoundedTextEdit::pictureMenu(int position)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuPicture"));
    const bool editable = !isReadOnly();
    const struct
    {
        const char *text;
        int percent;
    } sizes[] = {{"25 %", 25}, {"50 %", 50}, {"100 %", 100}, {"Fit to Page Width", 0}};
    for (const auto &size : sizes) {
        QAction *a = menu->addAction(QString::fromUtf8(size.text));
        a->setEnabled(editable);
        const int percent = size.percent;
        connect(a, &QAction::triggered, this, [this, position, percent] { setPictureScale(position, percent); });
    }
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Copy Picture")), &QAction::triggered, this,
            [this, position] { copyPicture(position); });
    QAction *save = menu->addAction(QStringLiteral("Save Picture As..."));
    save->setEnabled(decodeDataUrl(pictureSource(pictureNameAt(position))).has_value());
    connect(save, &QAction::triggered, this, [this, position] { savePictureAs(position); });
    return menu;
}

void BoundedTextEdit::contextMenuEvent(QContextMenuEvent *event)
{
    const int position = pictureAtPoint(event->pos());
    if (position < 0 && !m_textMenu) {
        QTextEdit::contextMenuEvent(event);
        return;
    }
    QMenu *menu = position >= 0 ? pictureMenu(position) : m_textMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace folio
