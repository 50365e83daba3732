// Pictures in documents: how they are stored (size, format, orientation,
// refusals), and pasting, dropping, inserting, resizing, copying and saving
// them in the real main window, down to the stored row and the search index.

#include "app/mainwindow.h"
#include "editor/boundedtextedit.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "session/appstate.h"
#include "storage/documentsearch.h"
#include "support/panefixture.h"
#include "support/testsupport.h"
#include "widgets/picturedata.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageWriter>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace folio;
using folio::test::BoardRobot;
using folio::test::ProgramFolder;

namespace {

// A photograph stands in as smooth colour with noise (PNG does badly on it),
// a screenshot as flat areas with sharp edges (JPEG does badly on it).
QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(40));
            line[x] = qRgb((x * 255 / width + noise) % 256, (y * 255 / height + noise) % 256, (x + y + noise) % 256);
        }
    }
    return image;
}

QImage screenshot(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(0, 0, width, 30, QColor(0x30, 0x60, 0xa0));
    for (int y = 50; y < height; y += 24)
        p.fillRect(20, y, width / 2, 10, Qt::black);
    return image;
}

QByteArray encode(const QImage &image, const char *format,
                  QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setTransformation(turn);
    writer.write(image);
    return bytes;
}

QImage decodedPicture(const QString &dataUrl)
{
    const std::optional<DataUrlContent> content = decodeDataUrl(dataUrl);
    return content ? QImage::fromData(content->bytes) : QImage();
}

// The data: URLs of the pictures in stored HTML.
QStringList storedPictures(const QString &html)
{
    static const QRegularExpression src(QStringLiteral("src=\"(data:image/[^\"]+)\""));
    QStringList found;
    for (auto it = src.globalMatch(html); it.hasNext();)
        found << it.next().captured(1);
    return found;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    std::shared_ptr<folio::test::ScriptedPrompts> m_script;
    std::unique_ptr<MainWindow> m_window;

    BoundedTextEdit *text() { return static_cast<BoundedTextEdit *>(m_window->documentPane().editor()->textEdit()); }
    QString storedText(DocNum doc = 5)
    {
        QSqlQuery q(m_window->database().connection());
        q.prepare(QStringLiteral("SELECT Text FROM DocTable WHERE DocNum = ?"));
        q.addBindValue(doc);
        return q.exec() && q.next() ? q.value(0).toString() : QString();
    }
    void trigger(const char *key)
    {
        auto *a = m_window->findChild<QAction *>(QLatin1String(key));
        QVERIFY2(a, key);
        a->trigger();
    }
    void revise()
    {
        m_window->state().navigateTo(1, 5);
        trigger("DocChg");
        QVERIFY(m_window->state().isEditing());
        QTextCursor end(text()->document());
        end.movePosition(QTextCursor::End);
        text()->setTextCursor(end);
    }
    // Positions of the pictures in the shown document.
    QList<int> picturePositions()
    {
        QList<int> positions;
        for (QTextBlock b = text()->document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().isImageFormat())
                    for (int i = 0; i < it.fragment().length(); ++i)
                        positions << it.fragment().position() + i;
        return positions;
    }
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_folder->file(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qWarning("could not write %s", qPrintable(path));
        return path;
    }
    void drop(const QList<QUrl> &urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = text()->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(text()->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(text()->viewport(), &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(text()->viewport(), &dropped);
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Notes', 'R', 0)",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(5, 1, 'Trip', '<p>harbour view</p>', '01-01-2020 00:00:00')",
        });
        m_script = std::make_shared<folio::test::ScriptedPrompts>();
        m_window = folio::test::openWindow(*m_folder, true, folio::test::scriptedPrompts(m_script));
        QVERIFY(m_window);
    }

    void cleanup()
    {
        if (m_window)
            m_window->state().setEditMode(EditMode::Browse);
        m_window.reset();
        delete m_folder;
    }

    void storedSizeAndFormat()
    {
        // A large photograph: scaled to 1,600 pixels, kept a JPEG.
        PictureResult big = preparePicture(encode(photo(4000, 3000), "png"), QStringLiteral("big"));
        QVERIFY(big.picture);
        QCOMPARE(big.picture->size, QSize(1600, 1200));
        QCOMPARE(big.picture->mimeType, QByteArray("image/jpeg"));
        QCOMPARE(decodedPicture(big.picture->dataUrl).size(), QSize(1600, 1200));

        // A JPEG photograph that needs no change keeps its own bytes.
        const QByteArray jpeg = encode(photo(800, 600), "jpeg");
        PictureResult small = preparePicture(jpeg, QStringLiteral("small"));
        QVERIFY(small.picture);
        QCOMPARE(small.picture->mimeType, QByteArray("image/jpeg"));
        QCOMPARE(decodeDataUrl(small.picture->dataUrl)->bytes, jpeg);

        // A screenshot stays a PNG, and so does a picture with transparency.
        QCOMPARE(preparePicture(encode(screenshot(1200, 800), "bmp"), QStringLiteral("s")).picture->mimeType,
                 QByteArray("image/png"));
        QImage clear(300, 200, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QCOMPARE(preparePicture(clear, QStringLiteral("c")).picture->mimeType, QByteArray("image/png"));

        // A camera's orientation is applied: stored upright, no longer turned.
        PictureResult turned = preparePicture(encode(photo(400, 200), "jpeg", QImageIOHandler::TransformationRotate90),
                                              QStringLiteral("turned"));
        QVERIFY(turned.picture);
        QCOMPARE(turned.picture->size, QSize(200, 400));
        QCOMPARE(decodedPicture(turned.picture->dataUrl).size(), QSize(200, 400));

        // Broken and oversized input: refused with words, no picture.
        PictureResult broken = preparePicture(QByteArray("\x89PNG\r\n\x1a\n garbage"), QStringLiteral("b.png"));
        QVERIFY(!broken.picture);
        QVERIFY(broken.refusal.contains(QLatin1String("b.png")));
        QFile huge(m_folder->file(QStringLiteral("huge.png")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(MaxPictureBytes + 1));
        huge.close();
        PictureResult tooLarge = preparePictureFile(huge.fileName());
        QVERIFY(!tooLarge.picture);
        QVERIFY(tooLarge.refusal.contains(QLatin1String("50 MB")));
    }

    // However a page writes its large pictures, the HTML that leaves the
    // editor holds them as they came.
    void largePicturesLeaveTheEditorAsTheyCame()
    {
        const QString url = QStringLiteral("data:image/jpeg;base64,") + QLatin1String(encode(photo(200, 150), "jpeg").toBase64());
        HtmlEditor editor;
        editor.setDocumentHtml(QStringLiteral("<p>a<IMG SRC = '%1' width=20>b<img alt=\"data:x\" src=\"%1\"></p>"
                                              "<p>data: src=data:</p>").arg(url));
        const QString html = editor.documentHtml();
        QCOMPARE(storedPictures(html), QStringList({url, url}));
        QVERIFY(!html.contains(QLatin1String("folio-stash")));
        QVERIFY(editor.textEdit()->toPlainText().contains(QLatin1String("data: src=data:")));
    }

    // A picture pasted into a revision is saved into the row as a data: URL
    // of at most 1,600 pixels and shows again when the document is reopened;
    // the search index and the title never see its data.
    void pastedPictureSavedReopenedAndNotIndexed()
    {
        revise();
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), encode(photo(4000, 3000), "png"));
        data->setImageData(photo(40, 30));
        QGuiApplication::clipboard()->setMimeData(data);
        text()->paste();
        QCOMPARE(picturePositions().size(), 1);
        trigger("DocSave");
        QVERIFY(!m_window->state().isEditing());

        const QStringList pictures = storedPictures(storedText());
        QCOMPARE(pictures.size(), 1);
        QCOMPARE(decodedPicture(pictures.first()).size(), QSize(1600, 1200));

        m_window.reset();
        m_window = folio::test::openWindow(*m_folder, true, folio::test::scriptedPrompts(m_script));
        QVERIFY(m_window);
        m_window->state().navigateTo(1, 5);
        QCOMPARE(picturePositions().size(), 1);
        const QTextImageFormat shown = [&] {
            QTextCursor c(text()->document());
            c.setPosition(picturePositions().first() + 1);
            return c.charFormat().toImageFormat();
        }();
        const QImage image = qvariant_cast<QImage>(
            text()->document()->resource(QTextDocument::ImageResource, QUrl(shown.name())));
        QCOMPARE(image.size(), QSize(1600, 1200));

        // Revised and saved again, and copied out: the same picture goes
        // out, never the editor's own short name for it.
        text()->selectAll();
        text()->copy();
        QCOMPARE(storedPictures(QGuiApplication::clipboard()->mimeData()->html()), pictures);
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->html().contains(QLatin1String("folio-stash")));
        revise();
        QTest::keyClicks(text(), QStringLiteral(" again"));
        trigger("DocSave");
        QVERIFY(storedText().contains(QLatin1String("again")));
        QCOMPARE(storedPictures(storedText()), pictures);
        QVERIFY(!storedText().contains(QLatin1String("folio-stash")));

        // The export is one file a browser shows the picture from.
        const QString exported = m_folder->file(QStringLiteral("trip.html"));
        m_script->saveFileNames = {exported};
        trigger("DocExport");
        QFile page(exported);
        QVERIFY(page.open(QIODevice::ReadOnly));
        QCOMPARE(storedPictures(QString::fromUtf8(page.readAll())), pictures);

        const QString chunk = pictures.first().mid(pictures.first().size() / 2, 16);
        DocumentSearch search(m_window->database());
        QVERIFY(search.findDocuments(SearchRequest{chunk, {}, KeywordJoin::And}).isEmpty());
        QVERIFY(search.findDocuments(SearchRequest{QStringLiteral("base64"), {}, KeywordJoin::And}).isEmpty());
        QCOMPARE(search.findDocuments(SearchRequest{QStringLiteral("harbour"), {}, KeywordJoin::And}).size(), 1);
    }

    // Files dropped from the file manager go in; a damaged one is refused
    // with a message and inserts nothing.
    void droppedFilesInsertedDamagedOneRefused()
    {
        revise();
        const QString one = writeFile(QStringLiteral("one.png"), encode(screenshot(300, 200), "png"));
        const QString two = writeFile(QStringLiteral("two.jpg"), encode(photo(320, 240), "jpeg"));
        drop({QUrl::fromLocalFile(one), QUrl::fromLocalFile(two)});
        QCOMPARE(picturePositions().size(), 2);

        BoardRobot robot(*m_window);
        QSignalSpy refused(m_window->documentPane().editor(), &HtmlEditor::pictureRefused);
        const QString before = text()->toHtml();
        drop({QUrl::fromLocalFile(writeFile(QStringLiteral("broken.png"), "not a picture at all"))});
        QCOMPARE(refused.size(), 1);
        QCOMPARE(text()->toHtml(), before);
        QVERIFY(robot.waitForMessages(1));
        QVERIFY(robot.lastMessage().contains(QLatin1String("broken.png")));

        // The toolbar's Insert Picture asks for a file; cancelled, nothing.
        m_script->openFileNames = {std::nullopt, one};
        trigger("Picture");
        QCOMPARE(picturePositions().size(), 2);
        trigger("Picture");
        QCOMPARE(picturePositions().size(), 3);
    }

    // Pasted HTML keeps its own pictures; one that points elsewhere becomes a
    // link showing its address.
    void pastedHtmlKeepsDataPicturesLinksOthers()
    {
        revise();
        const QString own = QStringLiteral("data:image/png;base64,") + QLatin1String(encode(screenshot(20, 10), "png").toBase64());
        auto *data = new QMimeData;
        data->setHtml(QStringLiteral("<p>look <img src=\"https://example.org/a.png?x=1&amp;y=2\"> and <img src='%1'></p>").arg(own));
        QGuiApplication::clipboard()->setMimeData(data);
        text()->paste();
        const QString html = text()->toHtml();
        QVERIFY(!html.contains(QLatin1String("<img src=\"https")));
        QVERIFY(html.contains(QLatin1String("href=\"https://example.org/a.png?x=1&amp;y=2\"")));
        QCOMPARE(picturePositions().size(), 1);
        QVERIFY(text()->toPlainText().contains(QLatin1String("https://example.org/a.png?x=1&y=2")));
    }

    // The picture's menu changes the shown size only; the pixels stay, and
    // Copy Picture and Save Picture As give them back.
    void pictureMenuSizesCopiesAndSaves()
    {
        revise();
        const QByteArray jpeg = encode(photo(800, 600), "jpeg");
        QVERIFY(text()->insertPictureFile(writeFile(QStringLiteral("p.jpg"), jpeg)));
        const int at = picturePositions().first();
        const QString name = text()->pictureNameAt(at);

        std::unique_ptr<QMenu> menu(text()->pictureMenu(at));
        menu->actions().at(1)->trigger();  // 50 %
        QTextCursor c(text()->document());
        c.setPosition(at + 1);
        QCOMPARE(c.charFormat().toImageFormat().width(), 400.0);
        QCOMPARE(c.charFormat().toImageFormat().height(), 300.0);
        QCOMPARE(text()->pictureNameAt(at), name);
        text()->document()->undo();
        c.setPosition(at + 1);
        QVERIFY(c.charFormat().toImageFormat().width() != 400.0);

        QVERIFY(text()->copyPicture(at));
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(800, 600));
        m_script->saveFileNames = {m_folder->file(QStringLiteral("out.jpg"))};
        QVERIFY(text()->savePictureAs(at));
        QFile out(m_folder->file(QStringLiteral("out.jpg")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), jpeg);

        // In browse mode the size cannot change; the picture can be taken.
        trigger("DocSave");
        QVERIFY(!m_window->state().isEditing());
        const int shown = picturePositions().first();
        QVERIFY(!text()->setPictureScale(shown, 25));
        QVERIFY(text()->copyPicture(shown));
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
