// Spelling as the user types: which words are checked, the marks in the
// text's layout (never in its HTML), several languages at once, the
// text's pop-up menu and the choice of languages.

#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/spellchecker.h"
#include "editor/spellhighlighter.h"
#include "editor/spellingdialog.h"
#include "editor/spellingoptions.h"
#include "editor/titlebox.h"
#include "session/settings.h"
#include "support/panefixture.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace folio;

namespace {

// A second language written the way dictionaries are: an affix file and a
// word list whose first line counts the words.
QString writeDictionary(const QString &folder, const QString &name, const QStringList &words)
{
    QFile aff(folder + QLatin1Char('/') + name + QStringLiteral(".aff"));
    QFile dic(folder + QLatin1Char('/') + name + QStringLiteral(".dic"));
    if (!aff.open(QIODevice::WriteOnly) || !dic.open(QIODevice::WriteOnly))
        return {};
    aff.write("SET UTF-8\nTRY aeinrstzkhdu\n");
    dic.write(QByteArray::number(words.size()) + '\n' + words.join(QLatin1Char('\n')).toUtf8() + '\n');
    return name;
}

QStringList words(const QString &text)
{
    QStringList result;
    for (const WordSpan &w : checkableWords(text))
        result << text.mid(w.start, w.length);
    return result;
}

// The underlined words of the document, read from the blocks' layouts.
QStringList markedWords(const QTextEdit &edit)
{
    QStringList result;
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next()) {
        for (const QTextLayout::FormatRange &r : b.layout()->formats()) {
            if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                result << b.text().mid(r.start, r.length);
        }
    }
    return result;
}

// Where each line of the document starts.
QList<int> lineStarts(const QTextEdit &edit)
{
    QList<int> starts;
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next()) {
        for (int i = 0; i < b.layout()->lineCount(); ++i)
            starts << b.position() + b.layout()->lineAt(i).textStart();
    }
    return starts;
}

// The wavy underline is red; nothing else in a plain line edit is.
bool hasRedPixels(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    }
    return false;
}

QAction *menuEntry(QMenu *menu, const QString &name)
{
    return menu->findChild<QAction *>(name);
}

QPoint pointOf(QTextEdit &edit, const QString &word)
{
    const QTextCursor found = edit.document()->find(word);
    QTextCursor inside(edit.document());
    inside.setPosition(found.selectionStart() + 1);
    return edit.cursorRect(inside).center();
}

} // namespace

class TestSpelling : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QList<DictionaryFile> m_installed;

    std::unique_ptr<SpellChecker> checker(const QStringList &languages, const QString &listName = "words.txt")
    {
        auto c = std::make_unique<SpellChecker>(m_installed, m_dir.filePath(listName));
        c->setLanguages(languages);
        return c;
    }

    struct Editing
    {
        std::unique_ptr<SpellChecker> checker;
        std::unique_ptr<HtmlEditor> editor;
        QTextEdit &edit() { return *editor->textEdit(); }
    };

    Editing editing(const QString &html, const QStringList &languages = {"en_US"})
    {
        Editing e{checker(languages), std::make_unique<HtmlEditor>()};
        e.editor->resize(600, 400);
        e.editor->show();
        e.editor->setDocumentHtml(html);
        e.editor->setSpellChecker(e.checker.get());
        e.editor->setBrowseMode(false);
        return e;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(!writeDictionary(m_dir.path(), "de_TEST", {"Katze", "Hund", "und"}).isEmpty());
        m_installed = findDictionaries({m_dir.path(), QStringLiteral("/usr/share/hunspell")});
        const bool english = std::any_of(m_installed.cbegin(), m_installed.cend(),
                                         [](const DictionaryFile &d) { return d.name == "en_US"; });
        QVERIFY2(english, "the American English dictionary (hunspell-en-us) is needed");
    }

    void skipsWordsNoListCanJudge()
    {
        QCOMPARE(words("Ein Satz, don't stop: well-known fooo"),
                 QStringList({"Ein", "Satz", "don't", "stop", "well", "known", "fooo"}));
        QCOMPARE(words("see http://exampel.org/paeg and www.exampel.com or mail ann@exampel.net"),
                 QStringList({"see", "and", "or", "mail"}));
        QCOMPARE(words("3rd B2B a1 version2 x"), QStringList());
        QCOMPARE(words("NASA HTTPS UNESCOO are short"), QStringList({"UNESCOO", "are", "short"}));
        QCOMPARE(words(QString::fromUtf8("日本語のテキスト mixed 中文")), QStringList({"mixed"}));
        QCOMPARE(words(QString::fromUtf8("’quoted’ l’été")), QStringList({"quoted", QString::fromUtf8("l’été")}));
    }

    void anyChosenLanguageAcceptsAWord()
    {
        auto english = checker({"en_US"});
        QVERIFY(english->isCorrect("house"));
        QVERIFY(!english->isCorrect("Katze"));
        QVERIFY(!english->isCorrect("hosue"));
        auto both = checker({"en_US", "de_TEST"});
        QCOMPARE(both->languages(), QStringList({"en_US", "de_TEST"}));
        QVERIFY(both->isCorrect("house"));
        QVERIFY(both->isCorrect("Katze"));
        QVERIFY(!both->isCorrect("hosue"));
        QVERIFY(both->suggestions("hosue").contains("house"));
        QVERIFY(both->suggestions("hosue").size() <= SpellChecker::MaxSuggestions);

        auto none = checker({"xx_NONE"});
        QVERIFY(!none->isActive());
        QVERIFY(none->isCorrect("hosue"));
        const QList<DictionaryFile> installed = {{"de_CH", {}, {}}, {"de_DE", {}, {}}, {"en_GB", {}, {}}};
        QCOMPARE(defaultDictionaries(installed, "de_CH"), QStringList({"de_CH"}));
        QCOMPARE(defaultDictionaries(installed, "de_AT"), QStringList({"de_DE"}));
        QCOMPARE(defaultDictionaries(installed, "C"), QStringList({"en_GB"}));
        QCOMPARE(defaultDictionaries(m_installed, "C"), QStringList({"en_US"}));
        QCOMPARE(defaultDictionaries({{"fr_FR", {}, {}}}, "C"), QStringList());
    }

    void typedWordsAreMarkedInTheLayoutNeverInTheHtml()
    {
        const QString html = QStringLiteral("<p>A <b>hosue</b> and a Katze.</p><p>Wrold 2nd NASA</p>");
        Editing e = editing(html, {"en_US", "de_TEST"});
        const QString stored = e.editor->documentHtml();
        const QList<int> lines = lineStarts(e.edit());
        QTRY_VERIFY(e.editor->spelling()->isIdle());
        QCOMPARE(markedWords(e.edit()), QStringList({"hosue", "Wrold"}));
        QCOMPARE(lineStarts(e.edit()), lines);  // a mark moves no line
        QCOMPARE(e.editor->documentHtml(), stored);
        QVERIFY(!e.editor->isModified());

        QTextCursor end(e.edit().document());
        end.movePosition(QTextCursor::End);
        e.edit().setTextCursor(end);
        QTest::keyClicks(&e.edit(), " Hund tabel");
        // A short change is checked at once, not in a later slice.
        QCOMPARE(markedWords(e.edit()), QStringList({"hosue", "Wrold", "tabel"}));
        QVERIFY(!e.editor->documentHtml().contains("spell", Qt::CaseInsensitive));
        QVERIFY(!e.editor->documentHtml().contains("wave", Qt::CaseInsensitive));

        // Fewer languages: the German word is wrong now.
        e.checker->setLanguages({"en_US"});
        QTRY_VERIFY(e.editor->spelling()->isIdle());
        QCOMPARE(markedWords(e.edit()), QStringList({"hosue", "Katze", "Wrold", "Hund", "tabel"}));

        e.editor->setBrowseMode(true);
        QCOMPARE(markedWords(e.edit()), QStringList());
        e.editor->setDocumentHtml(html);
        QTest::qWait(20);
        QCOMPARE(markedWords(e.edit()), QStringList());
    }

    void whatIsOnScreenIsCheckedFirst()
    {
        QString html;
        for (int i = 0; i < 6000; ++i)
            html += QStringLiteral("<p>Line %1 with a wrnog word.</p>").arg(i);
        Editing e = editing(html);
        QVERIFY(!e.checker->isCorrect("wrnog"));  // the dictionary is read
        e.edit().verticalScrollBar()->setValue(e.edit().verticalScrollBar()->maximum() * 3 / 4);
        QVERIFY(!e.editor->spelling()->isIdle());
        const QTextBlock shown = e.edit().cursorForPosition(QPoint(5, 5)).block();
        QVERIFY(shown.blockNumber() > 4000);
        for (int turn = 0; turn < 100 && shown.layout()->formats().isEmpty(); ++turn)
            QCoreApplication::processEvents();
        QVERIFY(!shown.layout()->formats().isEmpty());
        // Checking from the top alone would have passed this block long ago.
        QVERIFY(e.edit().document()->findBlockByNumber(1500).layout()->formats().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(e.editor->spelling()->isIdle(), 30000);
        QCOMPARE(markedWords(e.edit()).size(), 6000);
    }

    void aSuggestionReplacesTheWordAsOneStep()
    {
        Editing e = editing("<p>The <i>hosue</i> stands.</p>");
        QTRY_VERIFY(e.editor->spelling()->isIdle());
        std::unique_ptr<QMenu> menu(e.editor->textMenu(pointOf(e.edit(), "hosue")));
        const QList<QAction *> suggestions = menu->findChildren<QAction *>("mnuSuggestion");
        QVERIFY(!suggestions.isEmpty());
        QVERIFY(suggestions.size() <= SpellChecker::MaxSuggestions);
        QAction *house = nullptr;
        for (QAction *a : suggestions)
            house = a->text() == "house" ? a : house;
        QVERIFY(house);
        QCOMPARE(menu->actions().first(), suggestions.first());
        house->trigger();
        QCOMPARE(e.edit().toPlainText(), QStringLiteral("The house stands."));
        QVERIFY(e.editor->documentHtml().contains("<span style=\" font-style:italic;\">house</span>"));
        QCOMPARE(markedWords(e.edit()), QStringList());
        e.editor->execCommand(EditCommand::Undo);
        QCOMPARE(e.edit().toPlainText(), QStringLiteral("The hosue stands."));

        // A correct word has no spelling entries, only the commands.
        std::unique_ptr<QMenu> plain(e.editor->textMenu(pointOf(e.edit(), "stands")));
        QVERIFY(!menuEntry(plain.get(), "mnuAddToDictionary"));
        QVERIFY(menuEntry(plain.get(), "mnuSelectAll"));
    }

    void addedWordsStayIgnoredWordsGo()
    {
        const QString list = QStringLiteral("personal.txt");
        Editing e{checker({"en_US"}, list), std::make_unique<HtmlEditor>()};
        e.editor->setDocumentHtml("<p>Folioo and Zwibbel met.</p>");
        e.editor->setSpellChecker(e.checker.get());
        e.editor->setBrowseMode(false);
        QTRY_COMPARE(markedWords(e.edit()), QStringList({"Folioo", "Zwibbel"}));

        std::unique_ptr<QMenu> menu(e.editor->textMenu(pointOf(e.edit(), "Folioo")));
        menuEntry(menu.get(), "mnuAddToDictionary")->trigger();
        std::unique_ptr<QMenu> second(e.editor->textMenu(pointOf(e.edit(), "Zwibbel")));
        menuEntry(second.get(), "mnuIgnoreAll")->trigger();
        QTRY_COMPARE(markedWords(e.edit()), QStringList());

        QFile file(m_dir.filePath(list));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Folioo\n"));
        // The next start: the added word is still right, in capitals too;
        // the ignored one is wrong again.
        auto restarted = checker({"en_US"}, list);
        QVERIFY(restarted->isCorrect("Folioo"));
        QVERIFY(restarted->isCorrect("FOLIOO"));
        QVERIFY(!restarted->isCorrect("folioo"));
        QVERIFY(!restarted->isCorrect("Zwibbel"));
        QVERIFY(restarted->addToPersonalList(QString::fromUtf8("Ärgernisss")));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), QString::fromUtf8("Folioo\nÄrgernisss\n"));

        // A list that cannot be written: the word still counts until the end.
        auto unwritable = std::make_unique<SpellChecker>(m_installed, m_dir.filePath("missing/folder/words.txt"));
        unwritable->setLanguages({"en_US"});
        QVERIFY(!unwritable->addToPersonalList("Blorpish"));
        QVERIFY(!unwritable->errorString().isEmpty());
        QVERIFY(unwritable->isCorrect("Blorpish"));
    }

    void theMenuFollowsTheMode()
    {
        Editing e = editing("<p>Some wrnog text.</p>");
        QTRY_VERIFY(e.editor->spelling()->isIdle());
        std::unique_ptr<QMenu> editMenu(e.editor->textMenu(pointOf(e.edit(), "wrnog")));
        QVERIFY(menuEntry(editMenu.get(), "mnuPaste"));
        QVERIFY(!menuEntry(editMenu.get(), "mnuCut")->isEnabled());  // nothing selected
        QVERIFY(menuEntry(editMenu.get(), "mnuFont")->isEnabled());
        menuEntry(editMenu.get(), "mnuSelectAll")->trigger();
        QCOMPARE(e.edit().textCursor().selectedText(), QStringLiteral("Some wrnog text."));

        e.editor->setBrowseMode(true);
        std::unique_ptr<QMenu> browseMenu(e.editor->textMenu(pointOf(e.edit(), "wrnog")));
        QVERIFY(!menuEntry(browseMenu.get(), "mnuSuggestion"));
        QVERIFY(!menuEntry(browseMenu.get(), "mnuAddToDictionary"));
        QVERIFY(menuEntry(browseMenu.get(), "mnuCopy")->isEnabled());  // the selection is kept
        QVERIFY(!menuEntry(browseMenu.get(), "mnuCut")->isEnabled());
        QVERIFY(!menuEntry(browseMenu.get(), "mnuPaste")->isEnabled());
        QVERIFY(!menuEntry(browseMenu.get(), "mnuFont")->isEnabled());
    }

    // The pane: the title is checked while editing, the menu's commands run
    // the formatting bar's, and the languages chosen are kept.
    void thePaneChecksTheTitleAndKeepsTheChoice()
    {
        qputenv("FOLIO_HUNSPELL_PATH", m_dir.path().toUtf8());
        test::PaneFixture fixture;
        auto *pane = new DocumentPane(fixture.context());
        fixture.show(pane);
        pane->newDocument();
        QTest::keyClicks(pane->titleBox(), "Katze and wrold");
        QCOMPARE(pane->titleBox()->spellingMarks(), QList<WordSpan>({{0, 5}, {10, 5}}));
        QCOMPARE(pane->titleBox()->text(), QStringLiteral("Katze and wrold"));
        QVERIFY(hasRedPixels(pane->titleBox()->grab().toImage()));

        SpellingDialog *dialog = pane->spelling().showLanguagesDialog(pane);
        auto *list = dialog->findChild<QListWidget *>("lstLanguages");
        QVERIFY(list && list->count() >= 2);
        for (int i = 0; i < list->count(); ++i) {
            const QString name = list->item(i)->data(SpellingDialog::NameRole).toString();
            QCOMPARE(list->item(i)->checkState(), name == "en_US" ? Qt::Checked : Qt::Unchecked);
            if (name == "de_TEST")
                list->item(i)->setCheckState(Qt::Checked);
        }
        dialog->findChild<QPushButton *>("cmdOK")->click();
        QCOMPARE(pane->titleBox()->spellingMarks(), QList<WordSpan>({{10, 5}}));
        const SettingsFile settings(fixture.folder().path());
        QCOMPARE(settings.readSpellingLanguages().value_or(QStringList()), QStringList({"de_TEST", "en_US"}));
        QCOMPARE(SpellingOptions(fixture.folder().path()).checker().languages(), QStringList({"de_TEST", "en_US"}));

        pane->cancelEditing();
        QCOMPARE(pane->titleBox()->spellingMarks(), QList<WordSpan>());
        QVERIFY(!hasRedPixels(pane->titleBox()->grab().toImage()));
        qunsetenv("FOLIO_HUNSPELL_PATH");

        const SpellingDialog empty({}, {});
        QVERIFY(empty.findChild<QLabel *>("lblSpellingNote")->text().contains("hunspell-en-us"));
        QVERIFY(!empty.findChild<QPushButton *>("cmdOK")->isEnabled());
    }
};

QTEST_MAIN(TestSpelling)
#include "test_spelling.moc"
