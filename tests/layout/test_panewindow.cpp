// The pane layout in the real main window: the first arrangement, resizing,
// dragging the splitter bars, the sizing keys, edit mode and a minimised
// window; and screenshots in browse and edit mode, checked for overlapping
// and clipped controls.

#include "editor/documentpane.h"
#include "layout/panearranger.h"
#include "layout/splitterbar.h"
#include "support/testsupport.h"
#include "widgets/twips.h"

#include <QAction>
#include <QDir>
#include <QTest>
#include <QToolBar>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

QWidget *child(QWidget *root, const char *name)
{
    auto *widget = root->findChild<QWidget *>(QLatin1String(name));
    if (!widget)
        qWarning("no widget %s", name);
    return widget;
}

// A base with a folder of a few documents, so the panes have content.
void fillBase(const ProgramFolder &folder)
{
    QStringList rows = {QStringLiteral("INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Recipes', 'R', 0)"),
                        QStringLiteral("INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'Soups', 'D', 1)"),
                        QStringLiteral("INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (3, 'Travel', 'R', 0)")};
    for (int i = 1; i <= 6; ++i)
        rows << QStringLiteral("INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
                               "(%1, 1, 'Note number %1', '<h2>Note %1</h2><p>Some words of note %1.</p>', "
                               "'12-0%1-2026 10:00:00')")
                    .arg(i);
    folder.execAll(rows);
}

QString describe(const QWidget *w, const QRect &r)
{
    return w->objectName() + QLatin1Char(' ') + QDebug::toString(r);
}

// Every visible child of `parent` lies inside it and none covers another.
void verifyChildrenFit(QWidget *parent)
{
    QList<QWidget *> shown;
    for (QWidget *widget : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (widget->isWindow() || !widget->isVisibleTo(parent) || widget->size().isEmpty())
            continue;
        QVERIFY2(parent->rect().contains(widget->geometry()),
                 qPrintable(describe(widget, widget->geometry()) + " is cut by " + describe(parent, parent->rect())));
        for (QWidget *other : std::as_const(shown))
            QVERIFY2(!other->geometry().intersects(widget->geometry()),
                     qPrintable(describe(widget, widget->geometry()) + " covers " + describe(other, other->geometry())));
        shown << widget;
    }
}

} // namespace

class TestPaneWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<MainWindow> m_window;
    QWidget *m_area = nullptr;
    QWidget *m_tree = nullptr;
    QWidget *m_list = nullptr;
    QWidget *m_frame = nullptr;
    SplitterBar *m_hSpliter = nullptr;   // right of the tree
    SplitterBar *m_vSpliter = nullptr;   // under the list
    int m_dpi = 96;

    int px(int twips) const { return twipsToPixels(twips, m_dpi); }
    int outerWidthTwips() const { return pixelsToTwips(m_window->frameGeometry().width(), m_dpi); }

    void settle() { QCoreApplication::processEvents(); }

    // The window at `size` physical pixels of a screen at the test's pixel ratio.
    void resizeTo(QSize physical)
    {
        m_window->resize(physical / m_window->devicePixelRatioF());
        settle();
    }

    void clickKey(const char *key)
    {
        auto *action = m_window->findChild<QAction *>(QLatin1String(key));
        QVERIFY2(action, key);
        QWidget *button = qobject_cast<QToolBar *>(action->parent())->widgetForAction(action);
        QVERIFY2(button && button->isVisible(), key);
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }

    QPoint inWindow(QWidget *widget, QPoint pos) const { return widget->mapTo(m_window.get(), pos); }

    // Every rule that holds after any layout in browse mode, in pixels.
    void verifyBrowseLayout()
    {
        QVERIFY(m_list->isVisible());
        QVERIFY(m_vSpliter->isVisible());
        QCOMPARE(m_tree->y(), child(m_window.get(), "CoolBar1")->geometry().bottom() + 1);
        QCOMPARE(m_tree->geometry().bottom(), m_area->height() - 1);
        QCOMPARE(m_hSpliter->geometry(), QRect(m_tree->geometry().right() + 1, m_tree->y(),
                                                px(VerticalBarThickness), m_tree->height()));
        QCOMPARE(m_list->x(), m_hSpliter->geometry().right() + 1);
        QCOMPARE(m_list->geometry().right(), m_area->width() - 1);
        QCOMPARE(m_vSpliter->geometry(), QRect(m_list->x(), m_list->geometry().bottom() + 1, m_list->width(),
                                                px(HorizontalBarThickness)));
        QCOMPARE(m_frame->geometry(), QRect(m_list->x(), m_vSpliter->geometry().bottom() + 1, m_list->width(),
                                             m_area->height() - m_vSpliter->geometry().bottom() - 1));
    }

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        m_folder->createDatabase();
        fillBase(*m_folder);
        m_window = folio::test::openWindow(*m_folder);
        QVERIFY(m_window);
        m_tree = child(m_window.get(), "TreeView1");
        m_list = child(m_window.get(), "ListView1");
        m_frame = child(m_window.get(), "Frame1");
        m_hSpliter = m_window->findChild<SplitterBar *>(QStringLiteral("imgHspliter"));
        m_vSpliter = m_window->findChild<SplitterBar *>(QStringLiteral("imgVspliter"));
        QVERIFY(m_tree && m_list && m_frame && m_hSpliter && m_vSpliter);
        m_area = m_tree->parentWidget();
        m_dpi = m_area->logicalDpiX();
        m_window->state().navigateTo(1, 2);
        settle();
    }

    void cleanup()
    {
        m_window.reset();
        m_folder.reset();
    }

    void startsWithTheTreeAtAThirdAndTheRightSideShared()
    {
        verifyBrowseLayout();
        // 35 % of the window's outer width; before the window is first shown
        // its frame is not known yet, so the width may lack the frame's.
        const double low = 0.35 * m_window->width() - 1;
        const double high = 0.35 * m_window->frameGeometry().width() + 1;
        QVERIFY2(m_tree->width() >= low && m_tree->width() <= high,
                 qPrintable(QStringLiteral("%1 of %2").arg(m_tree->width()).arg(m_window->frameGeometry().width())));
        QVERIFY2(qAbs(m_list->height() - m_frame->height()) <= 1,
                 qPrintable(QStringLiteral("%1 / %2").arg(m_list->height()).arg(m_frame->height())));
        // The folder toolbar's band ends over the tree's edge.
        QWidget *band1 = child(m_window.get(), "ToolbarDir");
        QVERIFY2(qAbs(band1->geometry().right() - m_tree->geometry().right()) <= 1,
                 qPrintable(QStringLiteral("%1 / %2 (min %3)")
                                .arg(QDebug::toString(band1->geometry()), QDebug::toString(m_tree->geometry()))
                                .arg(band1->minimumSizeHint().width())));
    }

    void barsCarryTheirKeys()
    {
        const struct
        {
            SplitterBar *bar;
            const char *toolBar;
            int thickness;
            Qt::CursorShape cursor;
            QStringList keys;
        } bars[] = {
            {m_hSpliter, "ToolBar2", VerticalBarThickness, Qt::SizeHorCursor, {"DirLeft", "DirMid", "DirRight"}},
            {m_vSpliter, "Toolbar1", HorizontalBarThickness, Qt::SizeVerCursor, {"DocTop", "DocMid", "DocBottom"}},
        };
        const qreal ratio = m_window->devicePixelRatioF();
        for (const auto &b : bars) {
            QToolBar *toolBar = b.bar->toolBar();
            QCOMPARE(toolBar->objectName(), QLatin1String(b.toolBar));
            QCOMPARE(toolBar->parentWidget(), b.bar);
            QCOMPARE(b.bar->cursor().shape(), b.cursor);
            const int thickness = px(b.thickness);
            QCOMPARE(b.bar->orientation() == Qt::Vertical ? b.bar->width() : b.bar->height(), thickness);
            const QList<QAction *> actions = toolBar->actions();
            QCOMPARE(actions.size(), 3);
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(actions[i]->objectName(), b.keys[i]);
                // A square key exactly as thick as the bar, inside it.
                QWidget *button = toolBar->widgetForAction(actions[i]);
                const QRect inBar(button->mapTo(b.bar, QPoint(0, 0)), button->size());
                QCOMPARE(button->size(), QSize(thickness, thickness));
                QVERIFY(b.bar->rect().contains(inBar));
                // The picture is drawn at the screen's pixel ratio, not scaled up.
                const QImage picture = actions[i]->icon().pixmap(QSize(thickness, thickness), ratio).toImage();
                QCOMPARE(picture.size(), QSize(thickness, thickness) * ratio);
                int inked = 0;
                for (int y = 0; y < picture.height(); ++y)
                    for (int x = 0; x < picture.width(); ++x)
                        inked += qAlpha(picture.pixel(x, y)) > 128;
                QVERIFY2(inked > picture.width(), qPrintable(b.keys[i]));
            }
        }
    }

    void everySizeChangeLaysOut()
    {
        const int treeWidth = m_tree->width();
        const int listHeight = m_list->height();
        for (QSize size : {QSize(1024, 768), QSize(700, 500), QSize(1300, 900)}) {
            resizeTo(size);
            verifyBrowseLayout();
            // The free sizes stay as they were.
            QCOMPARE(m_tree->width(), treeWidth);
            QCOMPARE(m_list->height(), listHeight);
        }
    }

    void draggingTheBars()
    {
        resizeTo(QSize(1024, 768));
        QWindow *window = m_window->windowHandle();
        const struct
        {
            SplitterBar *bar;
            QWidget *pane;
            bool across;   // dragged sideways
        } bars[] = {{m_hSpliter, m_tree, true}, {m_vSpliter, m_list, false}};
        for (const auto &b : bars) {
            // Take hold of the bar beyond its keys.
            const QPoint grip = inWindow(b.bar, QPoint(b.bar->width(), b.bar->height()) - QPoint(6, 6));
            auto along = [&](int offset) { return b.across ? grip + QPoint(offset, 0) : grip + QPoint(0, offset); };
            auto paneEnd = [&] {
                const QPoint end = m_window->mapFromGlobal(b.pane->mapToGlobal(QPoint(b.pane->width(), b.pane->height())));
                return b.across ? end.x() : end.y();
            };
            QTest::mousePress(window, Qt::LeftButton, {}, grip);
            QVERIFY(m_window->paneLayout().splitterDragging());
            // The bar's edge goes where the pointer is, then follows it.
            for (int offset : {60, 90, -80}) {
                QTest::mouseMove(window, along(offset));
                settle();
                const QPoint at = along(offset);
                QVERIFY(qAbs(paneEnd() - (b.across ? at.x() : at.y())) <= 1);
                verifyBrowseLayout();
            }
            // Against the window's edge: ignored.
            const int before = paneEnd();
            const QPoint edge = b.across ? QPoint(px(100) / 2, grip.y())
                                         : QPoint(grip.x(), m_window->mapFromGlobal(m_area->mapToGlobal(
                                                                 QPoint(0, m_area->height() - 2))).y());
            QTest::mouseMove(window, edge);
            settle();
            QCOMPARE(paneEnd(), before);
            QTest::mouseRelease(window, Qt::LeftButton, {}, edge);
            QVERIFY(!m_window->paneLayout().splitterDragging());
            // Moving without the button held changes nothing but the pointer.
            QTest::mouseMove(window, along(-4));
            QTest::mouseMove(window, along(-30));
            settle();
            QCOMPARE(paneEnd(), before);
            QCOMPARE(b.bar->cursor().shape(), b.across ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        }
    }

    void sizingKeys()
    {
        resizeTo(QSize(1024, 768));
        QWidget *band1 = child(m_window.get(), "ToolbarDir");
        const QRect start = m_tree->geometry();
        clickKey("DirLeft");
        QCOMPARE(m_tree->width(), px(10));
        verifyBrowseLayout();
        // The band keeps room for the button that offers the hidden keys.
        QCOMPARE(band1->width(), band1->minimumSizeHint().width());
        clickKey("DirRight");
        QCOMPARE(m_tree->width(), px(outerWidthTwips() - 350));
        QVERIFY(m_hSpliter->geometry().right() < m_area->width());
        clickKey("DirMid");
        // 35 % of the window as it is now, not as it was at the start.
        QCOMPARE(m_tree->geometry(), QRect(start.topLeft(), QSize(px(qRound(0.35 * outerWidthTwips())), start.height())));
        QVERIFY(qAbs(band1->geometry().right() - m_tree->geometry().right()) <= 1);

        const int together = m_list->height() + m_frame->height();
        clickKey("DocTop");
        QCOMPARE(m_list->height(), 0);
        verifyBrowseLayout();
        clickKey("DocBottom");
        QVERIFY(qAbs(m_list->height() - together) <= 1);
        QCOMPARE(m_frame->height(), 0);
        clickKey("DocMid");
        QVERIFY(qAbs(m_list->height() - m_frame->height()) <= 1);
        verifyBrowseLayout();
    }

    void coolBarHeightChangeLaysOut()
    {
        auto *toolbarDir = m_window->findChild<QToolBar *>(QStringLiteral("ToolbarDir"));
        toolbarDir->setIconSize(QSize(40, 40));
        settle();
        QVERIFY(child(m_window.get(), "CoolBar1")->height() >= 40);
        verifyBrowseLayout();
    }

    void editModeGivesTheDocumentTheRightSide()
    {
        resizeTo(QSize(1024, 768));
        const QRect list = m_list->geometry();
        m_window->documentPane().newDocument();
        settle();
        QVERIFY(!m_list->isVisible());
        QVERIFY(!m_vSpliter->isVisible());
        for (QAction *key : m_vSpliter->toolBar()->actions())
            QVERIFY(!m_vSpliter->toolBar()->widgetForAction(key)->isVisible());
        QCOMPARE(m_frame->geometry(), QRect(m_hSpliter->geometry().right() + 1, m_tree->y(),
                                             m_area->width() - m_hSpliter->geometry().right() - 1, m_tree->height()));
        // Resizing in edit mode keeps the rule.
        resizeTo(QSize(1200, 800));
        QCOMPARE(m_frame->geometry().bottomRight(), QPoint(m_area->width() - 1, m_area->height() - 1));
        QCOMPARE(m_frame->y(), m_tree->y());
        m_window->documentPane().setEditMode(EditMode::Browse);
        settle();
        verifyBrowseLayout();
        QCOMPARE(m_list->height(), list.height());
    }

    void minimisedWindowIsLeftAlone()
    {
        resizeTo(QSize(1024, 768));
        const QRect frame = m_frame->geometry();
        m_window->showMinimized();
        settle();
        QVERIFY(m_window->isMinimized());
        m_window->resize(900, 650);
        settle();
        QCOMPARE(m_frame->geometry(), frame);
        m_window->showNormal();
        settle();
        QVERIFY(!m_window->isMinimized());
        verifyBrowseLayout();
    }

    void screenshotsShowNothingCoveredOrCut_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("editing");
        for (QSize size : {QSize(1024, 768), QSize(1920, 1080)})
            for (bool editing : {false, true})
                QTest::addRow("%dx%d %s", size.width(), size.height(), editing ? "edit" : "browse") << size << editing;
    }

    void screenshotsShowNothingCoveredOrCut()
    {
        QFETCH(QSize, screen);
        QFETCH(bool, editing);
        resizeTo(screen);
        // Tiled as the window would start at this size.
        clickKey("DirMid");
        clickKey("DocMid");
        if (editing) {
            m_window->documentPane().editDocument();
            settle();
            QVERIFY(m_window->state().isEditing());
        }
        for (const char *name : {"CoolBar1", "ToolbarDir", "ToolbarDoc", "ToolBar2", "Toolbar1", "CoolBar2",
                                 "Toolbar3", "Toolbar4"})
            verifyChildrenFit(child(m_window.get(), name));
        verifyChildrenFit(m_area);
        verifyChildrenFit(m_frame);
        verifyChildrenFit(m_hSpliter);
        verifyChildrenFit(m_vSpliter);

        const qreal ratio = m_window->devicePixelRatioF();
        const QString dir = QStringLiteral(FOLIO_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(dir));
        const QString file = QStringLiteral("%1/frmMain-%2x%3-%4-%5pct.png")
                                 .arg(dir)
                                 .arg(screen.width())
                                 .arg(screen.height())
                                 .arg(editing ? QStringLiteral("edit") : QStringLiteral("browse"))
                                 .arg(qRound(ratio * 100));
        const QPixmap shot = m_window->grab();
        QCOMPARE(shot.size(), m_window->size() * ratio);
        QVERIFY(shot.save(file));
    }
};

QTEST_MAIN(TestPaneWindow)
#include "test_panewindow.moc"
