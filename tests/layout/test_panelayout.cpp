// The pane geometry in twips: the first arrangement, the layout rules in
// both modes, the drags and their strict bounds, the six sizing keys, the
// minimised window and rejected sizes; and the one conversion to pixels.

#include "layout/panelayout.h"

#include <QTest>

using namespace folio;

namespace {

WindowMetrics window(int statusBar = 0)
{
    WindowMetrics w;
    w.scaleWidth = 9000;
    w.scaleHeight = 6000;
    w.outerWidth = 9120;
    w.coolBarTop = 0;
    w.coolBarHeight = 450;
    w.statusBarHeight = statusBar;
    return w;
}

PaneRects loaded(const WindowMetrics &w, EditMode mode = EditMode::Browse)
{
    return arrangeAtLoad(initPaneLayout(w), w, mode);
}

// Every rule of the browse layout, checked against one another.
void verifyBrowseRules(const PaneRects &r, const WindowMetrics &w)
{
    const int bottom = w.scaleHeight - w.statusBarHeight;
    QCOMPARE(r.tree.top, w.coolBarTop + w.coolBarHeight);
    QCOMPARE(r.tree.bottom(), bottom);
    QCOMPARE(r.verticalBar, (TwipRect{r.tree.right(), r.tree.top, VerticalBarThickness, r.tree.height}));
    QCOMPARE(r.band1Width, r.tree.width);
    QVERIFY(r.listShown);
    QCOMPARE(r.list.top, r.tree.top);
    QCOMPARE(r.list.left, r.verticalBar.right());
    QCOMPARE(r.list.right(), w.scaleWidth);
    QCOMPARE(r.horizontalBar, (TwipRect{r.list.left, r.list.bottom(), r.list.width, HorizontalBarThickness}));
    QCOMPARE(r.frame, (TwipRect{r.list.left, r.horizontalBar.bottom(), r.list.width,
                                bottom - r.horizontalBar.bottom()}));
}

} // namespace

class TestPaneLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstArrangement_data()
    {
        QTest::addColumn<int>("statusBar");
        QTest::newRow("status bar outside the area") << 0;
        QTest::newRow("status bar inside the area") << 300;
    }

    void firstArrangement()
    {
        QFETCH(int, statusBar);
        const WindowMetrics w = window(statusBar);
        const PaneRects init = initPaneLayout(w);
        QCOMPARE(init.tree, (TwipRect{0, 450, 1824, 5550 - statusBar}));   // 20 % of the outer width
        QCOMPARE(init.verticalBar, (TwipRect{1824, 450, 195, 5550 - statusBar}));
        QCOMPARE(init.list.height, qRound((5550 - statusBar) * 0.5));
        QCOMPARE(init.frame.bottom(), 6000 - statusBar);

        const PaneRects r = loaded(w);
        QCOMPARE(r.tree.width, 3192);   // 35 % of the outer width
        verifyBrowseRules(r, w);
        // List and document pane share the right side equally.
        QVERIFY2(qAbs(r.list.height - r.frame.height) <= 1,
                 qPrintable(QStringLiteral("%1 / %2").arg(r.list.height).arg(r.frame.height)));
    }

    void resizeFollowsTheWindow()
    {
        WindowMetrics w = window();
        PaneRects r = loaded(w);
        const int listHeight = r.list.height;
        const int treeWidth = r.tree.width;
        w.scaleWidth = 12000;
        w.scaleHeight = 8000;
        w.coolBarHeight = 800;   // the bands wrapped to a second row
        r = formResize(r, w, EditMode::Browse);
        verifyBrowseRules(r, w);
        // The free sizes stay; everything else follows.
        QCOMPARE(r.list.height, listHeight);
        QCOMPARE(r.tree.width, treeWidth);
        QCOMPARE(r.verticalBar.top, 800);
    }

    void editModeGivesTheRightSideToTheDocument()
    {
        const WindowMetrics w = window(300);
        const PaneRects browse = loaded(w);
        const PaneRects edit = formResize(browse, w, EditMode::Edit);
        QVERIFY(!edit.listShown);
        QCOMPARE(edit.frame, (TwipRect{browse.verticalBar.right(), browse.tree.top, 9000 - browse.verticalBar.right(),
                                       browse.tree.height}));
        QCOMPARE(edit.list.height, browse.list.height);   // hidden, not resized
        // Leaving edit mode shows the list at its old height again.
        QCOMPARE(formResize(edit, w, EditMode::Browse), browse);
        // The first arrangement in edit mode already starts at the tree's top.
        QCOMPARE(loaded(w, EditMode::Edit).frame.top, browse.tree.top);
    }

    void drags_data()
    {
        QTest::addColumn<bool>("tree");   // the bar right of the tree, or the one under the list
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("accepted");
        // The tree must stay wider than 100 and narrower than ScaleWidth - 100.
        QTest::newRow("tree 100") << true << 100 << false;
        QTest::newRow("tree 101") << true << 101 << true;
        QTest::newRow("tree ScaleWidth - 101") << true << 8899 << true;
        QTest::newRow("tree ScaleWidth - 100") << true << 8900 << false;
        // The list's top is 450, the status bar 300 high: the list must stay
        // above 450 + 100 (not 100 alone) and below 6000 - 450 - 300 - 100.
        QTest::newRow("list top + 100") << false << 550 << false;
        QTest::newRow("list top + 101") << false << 551 << true;
        QTest::newRow("list 200") << false << 200 << false;
        QTest::newRow("list 5149") << false << 5149 << true;
        QTest::newRow("list 5150") << false << 5150 << false;
    }

    void drags()
    {
        QFETCH(bool, tree);
        QFETCH(int, size);
        QFETCH(bool, accepted);
        // Arranged for a lower window, so the new height shows whether the
        // layout ran.
        WindowMetrics low = window(300);
        low.scaleHeight = 5000;
        const PaneRects before = loaded(low);
        const WindowMetrics w = window(300);
        const PaneRects after = tree ? dragVerticalBar(before, w, size - before.tree.width, EditMode::Browse)
                                     : dragHorizontalBar(before, w, size - before.list.height, EditMode::Browse);
        QCOMPARE(tree ? after.tree.width : after.list.height,
                 accepted ? size : (tree ? before.tree.width : before.list.height));
        // Accepted or not, the layout ran.
        QCOMPARE(after.tree.bottom(), 5700);
        QCOMPARE(after.list.left, after.verticalBar.right());
        QCOMPARE(after.frame.top, after.horizontalBar.bottom());
        // Near the far bounds a bar passes the edge of the area; a pane that
        // would get a negative size keeps the size it had.
        const int room = 9000 - after.list.left;
        QCOMPARE(after.list.width, room >= 0 ? room : before.list.width);
        const int height = 5700 - after.frame.top;
        QCOMPARE(after.frame.height, height >= 0 ? height : before.frame.height);
    }

    void folderKeys()
    {
        const WindowMetrics w = window();
        const PaneRects start = loaded(w);
        PaneRects r = applySizingKey(start, w, SizingKey::DirLeft, EditMode::Browse);
        QCOMPARE(r.tree.width, 10);   // narrower than any drag allows
        verifyBrowseRules(r, w);
        r = applySizingKey(r, w, SizingKey::DirRight, EditMode::Browse);
        QCOMPARE(r.tree.width, 9120 - 350);
        QCOMPARE(r.band1Width, 9120 - 350);
        r = applySizingKey(r, w, SizingKey::DirMid, EditMode::Browse);
        QCOMPARE(r, start);
    }

    void documentKeys()
    {
        const WindowMetrics w = window(300);
        const PaneRects start = loaded(w);
        const int together = start.list.height + start.frame.height;
        PaneRects r = applySizingKey(start, w, SizingKey::DocTop, EditMode::Browse);
        QCOMPARE(r.list.height, 0);
        QCOMPARE(r.horizontalBar.top, r.list.top);
        QCOMPARE(r.frame.height, together);
        verifyBrowseRules(r, w);
        r = applySizingKey(r, w, SizingKey::DocBottom, EditMode::Browse);
        QCOMPARE(r.list.height, together);
        QCOMPARE(r.frame.height, 0);
        QCOMPARE(r.frame.bottom(), 6000 - 300);
        r = applySizingKey(r, w, SizingKey::DocMid, EditMode::Browse);
        QCOMPARE(r.list.height, qRound(together * 0.5));
        QCOMPARE(r.list.height + r.frame.height, together);
    }

    void minimisedWindowIsIgnored()
    {
        WindowMetrics w = window();
        const PaneRects before = loaded(w);
        w.minimised = true;
        w.scaleWidth = 0;
        w.scaleHeight = 0;
        QCOMPARE(formResize(before, w, EditMode::Browse), before);
        QCOMPARE(formResize(before, w, EditMode::Edit), before);
        // Restoring lays everything out again.
        w = window();
        w.scaleWidth = 10000;
        const PaneRects restored = formResize(before, w, EditMode::Browse);
        verifyBrowseRules(restored, w);
    }

    void negativeSizesKeepTheOldValue()
    {
        WindowMetrics w = window();
        const PaneRects before = loaded(w);
        // A window lower than its cool bar: the heights would be negative.
        w.scaleHeight = 300;
        PaneRects r = formResize(before, w, EditMode::Browse);
        QCOMPARE(r.tree.height, before.tree.height);
        QCOMPARE(r.verticalBar.height, before.tree.height);
        QCOMPARE(r.frame.height, before.frame.height);
        QCOMPARE(r.tree.top, 450);   // places still move
        QVERIFY(r.frame.top > 300);

        // "DirRight" on a window narrower than 350 twips is refused.
        w = window();
        w.outerWidth = 300;
        r = applySizingKey(before, w, SizingKey::DirRight, EditMode::Browse);
        QCOMPARE(r.tree.width, before.tree.width);

        // A tree wider than the area leaves the list's width as it was.
        w = window();
        w.outerWidth = 20000;
        r = applySizingKey(before, w, SizingKey::DirRight, EditMode::Browse);
        QCOMPARE(r.tree.width, 20000 - 350);
        QCOMPARE(r.list.left, 20000 - 350 + 195);
        QCOMPARE(r.list.width, before.list.width);
        r = formResize(r, w, EditMode::Edit);
        QCOMPARE(r.frame.width, before.frame.width);
    }

    void pixels_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("vertical");
        QTest::addColumn<int>("horizontal");
        QTest::newRow("96 dpi") << 96 << 13 << 15;
        QTest::newRow("120 dpi") << 120 << 16 << 19;
        QTest::newRow("192 dpi") << 192 << 26 << 30;
    }

    void pixels()
    {
        QFETCH(int, dpi);
        QFETCH(int, vertical);
        QFETCH(int, horizontal);
        QCOMPARE(toPixels(TwipRect{0, 0, VerticalBarThickness, 1440}, dpi), QRect(0, 0, vertical, dpi));
        QCOMPARE(toPixels(TwipRect{0, 0, 1440, HorizontalBarThickness}, dpi), QRect(0, 0, dpi, horizontal));
        // Neighbours that share an edge in twips share it in pixels, however
        // the edge rounds.
        const PaneRects r = loaded(window());
        for (int width : {3001, 3007, 3008, 3014}) {
            const PaneRects moved = dragVerticalBar(r, window(), width - r.tree.width, EditMode::Browse);
            QCOMPARE(toPixels(moved.tree, dpi).right() + 1, toPixels(moved.verticalBar, dpi).left());
            QCOMPARE(toPixels(moved.verticalBar, dpi).right() + 1, toPixels(moved.list, dpi).left());
            QCOMPARE(toPixels(moved.list, dpi).bottom() + 1, toPixels(moved.horizontalBar, dpi).top());
            QCOMPARE(toPixels(moved.horizontalBar, dpi).bottom() + 1, toPixels(moved.frame, dpi).top());
        }
    }
};

QTEST_GUILESS_MAIN(TestPaneLayout)
#include "test_panelayout.moc"
