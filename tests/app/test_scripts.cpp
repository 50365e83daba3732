// Every script shows: titles and text in Chinese, Japanese, Korean, Arabic,
// Hebrew and Devanagari are drawn with real glyphs (no empty boxes) in the
// folder tree, the document list, the title box and the editor, with the
// fonts the set-up installs.

#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"

#include <QGlyphRun>
#include <QTest>
#include <QTextEdit>
#include <QTextLayout>
#include <QTreeView>

using namespace folio;

namespace {

const QStringList Samples = {
    QStringLiteral("中文笔记"),         // Chinese
    QStringLiteral("日本語のノート"),   // Japanese
    QStringLiteral("한국어 메모"),      // Korean
    QStringLiteral("ملاحظات عربية"),    // Arabic
    QStringLiteral("הערות בעברית"),     // Hebrew
    QStringLiteral("हिन्दी टिप्पणी"),     // Devanagari
};

// The characters of `text` that the font `font` (with the fallbacks the
// system gives it) draws as the missing-glyph box.
QString missingGlyphs(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QString missing;
    for (const QGlyphRun &run : layout.glyphRuns())
        for (quint32 glyph : run.glyphIndexes())
            if (glyph == 0)
                missing += QStringLiteral("?");
    return missing.isEmpty() ? QString() : text + QStringLiteral(": ") + QString::number(missing.size());
}

} // namespace

class TestScripts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyScriptIsDrawnWithGlyphs()
    {
        folio::test::ProgramFolder folder;
        folder.createDatabase();
        QStringList rows;
        for (int i = 0; i < Samples.size(); ++i)
            rows << QStringLiteral("INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (%1, '%2', 'R', 0)")
                        .arg(i + 1)
                        .arg(Samples[i]);
        rows << QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text) VALUES (1, '%1', '<p>%2</p>')")
                    .arg(Samples.join(QLatin1Char(' ')), Samples.join(QLatin1Char(' ')));
        folder.execAll(rows);
        auto window = folio::test::openWindow(folder);
        QVERIFY(window);
        window->state().navigateTo(1, 1);
        QTRY_COMPARE(window->documentPane().titleBox()->text(), Samples.join(QLatin1Char(' ')));

        QStringList problems;
        auto *tree = &window->folderTree();
        for (int i = 0; i < tree->model()->rowCount(); ++i)
            problems << missingGlyphs(tree->model()->index(i, 0).data().toString(), tree->font());
        auto *list = window->findChild<QTreeView *>(QStringLiteral("ListView1"));
        QVERIFY(list && list->model()->rowCount() == 1);
        for (int column = 0; column < list->model()->columnCount(); ++column)
            problems << missingGlyphs(list->model()->index(0, column).data().toString(), list->font());
        problems << missingGlyphs(window->documentPane().titleBox()->text(), window->documentPane().titleBox()->font());
        QTextEdit *text = window->documentPane().editor()->textEdit();
        problems << missingGlyphs(text->toPlainText(), text->font());
        problems.removeAll(QString());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    // The check itself: a character no font has is found.
    void aMissingGlyphIsFound()
    {
        QVERIFY(!missingGlyphs(QString(QChar(0xE000)) + QChar(0xE001), QFont()).isEmpty());
    }
};

QTEST_MAIN(TestScripts)
#include "test_scripts.moc"
