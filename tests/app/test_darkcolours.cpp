// "Dark Colours": the check mark turns a dark palette on and off, is kept
// for the next start, and every text stays readable (4.5:1) on what it is
// drawn on; documents keep their white paper and the board its cream.

#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "session/settings.h"
#include "support/testsupport.h"
#include "widgets/colors.h"
#include "widgets/colourscheme.h"
#include "widgets/icons.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTextEdit>

using namespace folio;

namespace {

// Text on its background in a widget's palette: the text role against the
// base (views, boxes) and the window text against the window (labels).
QString unreadable(QWidget *w)
{
    const QPalette p = w->palette();
    const double onBase = contrastRatio(p.color(QPalette::Text), p.color(QPalette::Base));
    const double onWindow = contrastRatio(p.color(QPalette::WindowText), p.color(QPalette::Window));
    const double selected = contrastRatio(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight));
    if (onBase < 4.5 || onWindow < 4.5 || selected < 4.5)
        return QStringLiteral("%1: %2 / %3 / %4").arg(w->objectName()).arg(onBase).arg(onWindow).arg(selected);
    return {};
}

} // namespace

class TestDarkColours : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contrastIsMeasuredAsTheGuidelinesDo()
    {
        QCOMPARE(qRound(contrastRatio(Qt::black, Qt::white) * 10), 210);
        QCOMPARE(contrastRatio(QColor(0x77, 0x77, 0x77), QColor(0x77, 0x77, 0x77)), 1.0);
        QVERIFY(contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white) >= 4.5);  // the lightest grey that passes
        QVERIFY(contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white) < 4.5);
    }

    void theCheckMarkTurnsDarkColoursOnAndIsKept()
    {
        folio::test::ProgramFolder folder;
        folder.createDatabase();
        const QPalette desktop = QApplication::palette();
        {
            auto window = folio::test::openWindow(folder);
            QVERIFY(window);
            QAction *dark = window->findChild<QAction *>(QStringLiteral("MnuDarkColours"));
            QVERIFY(dark && dark->isCheckable() && !dark->isChecked());
            dark->trigger();
            QVERIFY(dark->isChecked());
            QVERIFY(isDarkPalette(QApplication::palette()));
            QVERIFY(SettingsFile(folder.path()).readDarkColours());

            for (const char *name : {"TreeView1", "ListView1", "txtHTMLTitle", "Panel1", "Panel2", "Panel3"}) {
                auto *w = window->findChild<QWidget *>(QLatin1String(name));
                QVERIFY2(w, name);
                QTRY_VERIFY2(isDarkPalette(w->palette()), name);
                QCOMPARE(unreadable(w), QString());
            }
            // The document's paper stays white with black text.
            QTextEdit *text = window->documentPane().editor()->textEdit();
            QCOMPARE(text->palette().color(QPalette::Base), QColor(Qt::white));
            QCOMPARE(text->palette().color(QPalette::Text), QColor(Qt::black));
            QCOMPARE(unreadable(text), QString());
            // The board's messages on its cream.
            for (quint32 bgr : {InformColor, WarningColor})
                QVERIFY(contrastRatio(colorFromBgr(bgr), QColor(255, 252, 232)) >= 4.5);
            // A letter button stands out from the dark toolbar.
            const QImage bold = commandIcon(QStringLiteral("Bold")).pixmap(16, 16).toImage();
            double best = 0;
            for (int y = 0; y < bold.height(); ++y)
                for (int x = 0; x < bold.width(); ++x)
                    if (qAlpha(bold.pixel(x, y)) > 200)
                        best = std::max(best, contrastRatio(bold.pixelColor(x, y),
                                                            QApplication::palette().color(QPalette::Button)));
            QVERIFY2(best >= 4.5, qPrintable(QString::number(best)));
        }
        // The next start is dark again; turned off, the desktop's palette is back.
        auto window = folio::test::openWindow(folder);
        QAction *dark = window->findChild<QAction *>(QStringLiteral("MnuDarkColours"));
        QVERIFY(dark->isChecked());
        QVERIFY(isDarkPalette(QApplication::palette()));
        dark->trigger();
        QVERIFY(!isDarkPalette(QApplication::palette()));
        QCOMPARE(QApplication::palette().color(QPalette::Window), desktop.color(QPalette::Window));
        QVERIFY(!SettingsFile(folder.path()).readDarkColours());
    }
};

QTEST_MAIN(TestDarkColours)
#include "test_darkcolours.moc"
