#pragma once

#include "editor/documentprint.h"
#include "editor/editcommands.h"
#include "widgets/prompts.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <memory>

class QAction;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class QTextEdit;

namespace folio {

class BackgroundParse;
class FontChooser;
class FormattingController;
class SlicedLayout;
class SafeTextDocument;
class SaveFilePrompt;
class SpellChecker;
class SpellHighlighter;
class UrlOpener;

// The HTML editor of the document pane (objectName "DHTMLEdit1"): one
// document as HTML, shown read-only (browse mode) or editable, with the
// editing commands of the formatting bar (FormattingController).
//
// A stored document never makes the editor read a file or go to the
// network (SafeTextDocument); links open only for http, https and mailto.
class HtmlEditor : public QWidget
{
    Q_OBJECT
public:
    // Elements nested deeper than this are dropped (their text kept) when
    // a document is put into the editor.
    static constexpr int MaxElementNesting = 200;
    // Tables inside more tables than this are flattened into blocks (their
    // text kept): the text engine's table layout doubles its time with every
    // level, and old pages and mails nest layout tables.
    static constexpr int MaxTableNesting = 6;

    // `html` within the nesting bounds above and with tables flattened
    // where their text would take too long to lay out (see tablebudget.h).
    static QString boundedHtml(const QString &html);

    explicit HtmlEditor(QWidget *parent = nullptr);
    ~HtmlEditor() override;

    // A page this long (in characters) opened in browse mode shows its
    // first screen at once and is read whole on a worker thread.
    static constexpr qsizetype BackgroundLoadChars = 64 * 1024;
    static constexpr qsizetype FirstScreenChars = 16 * 1024;

    // The whole document as HTML; setting it replaces the document (the
    // empty text gives an empty one), clears undo and the modified flag, and
    // emits documentComplete() once the whole document is in the editor.
    // A long page in browse mode shows its first screen until then; anything
    // that reads or changes the text waits for the rest (finishLoading()).
    QString documentHtml() const;
    void setDocumentHtml(const QString &html);
    // Whether only the first screen of the page is shown yet.
    bool isLoading() const { return m_pendingLoad != nullptr; }
    // Puts the whole page in place now, waiting for the worker if need be.
    void finishLoading();
    // For tests: the length from which a page is read in the background,
    // and that of its first screen.
    void setBackgroundLoad(qsizetype fromChars, qsizetype firstScreenChars)
    {
        m_backgroundLoadChars = fromChars;
        m_firstScreenChars = firstScreenChars;
    }

    // Browse mode: the document can be read, selected and copied, and its
    // links followed, but not changed.
    bool browseMode() const { return m_browseMode; }
    void setBrowseMode(bool browse);

    // Whether the user changed the document since the last setDocumentHtml().
    bool isModified() const;
    // Counts the shown text as changed by the user (a restored edit).
    void markModified();

    // The numbered commands (editcommands.h), for callers that address a
    // command by its id; they run through formatting(). Returns the font
    // name (QString) for GetFontName and the HTML font size 1-7 (int, 0 when
    // mixed or unknown) for GetFontSize; for the other commands true when it
    // ran and false when it was not available or its argument was unusable,
    // in which case nothing changed.
    QVariant execCommand(int id, int option = CommandOption::Default, const QVariant &argument = {});
    // One of the CommandState values for the current selection.
    int queryStatus(int id) const;

    // The editing commands as actions, and the format at the caret.
    FormattingController &formatting() const { return *m_formatting; }

    // Prints the document through the document printer; the same as Ctrl+P
    // while the editor has the focus. A failure is announced by
    // printFailed().
    PrintOutcome printDocument();

    void setUrlOpener(std::shared_ptr<UrlOpener> opener);
    void setDocumentPrinter(std::shared_ptr<DocumentPrinter> printer);
    void setFontChooser(std::shared_ptr<FontChooser> chooser);
    void setSaveFilePrompt(std::shared_ptr<SaveFilePrompt> prompt);

    // Inserts a picture file at the caret in edit mode; false when it was
    // refused (pictureRefused() says why) or the document is read-only.
    bool insertPictureFile(const QString &path);

    QTextEdit *textEdit() const { return m_edit; }

    // Misspelt words are underlined in edit mode (none in browse mode).
    void setSpellChecker(SpellChecker *checker);
    SpellHighlighter *spelling() const { return m_spelling; }

    // The pop-up menu of the text ("mnuText") for a right click at
    // `viewportPoint`: the suggestions for a misspelt word there, "Add to
    // Dictionary" and "Ignore All" in edit mode, then Cut, Copy, Paste,
    // Select All and Font as the mode allows. Cut, Copy and Paste are the
    // formatting actions; Font runs the font action when one is set (the
    // document pane's font name box), the font dialog otherwise.
    QMenu *textMenu(const QPoint &viewportPoint);
    void setFontAction(QAction *action) { m_fontAction = action; }

Q_SIGNALS:
    // A document given to setDocumentHtml() is loaded.
    void documentComplete();
    // The selection or the format at the caret changed.
    void displayChanged();
    // The user clicked into the document.
    void clicked();
    // The modified flag changed.
    void modificationChanged(bool modified);
    // A print could not be carried out (not: the user cancelled it).
    void printFailed();
    // A picture was not inserted or saved; the text says which and why.
    void pictureRefused(const QString &text);
    // A word could not be added to the personal word list.
    void personalListFailed(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handleKeyPress(QKeyEvent *event);
    void handleMouse(QMouseEvent *event);
    void openLink(const QString &href);
    void reportModification();
    void addSpellingEntries(QMenu *menu, int position);
    void replaceWord(int start, int length, const QString &replacement);
    void loadNow(const QString &html);
    void loadInBackground(const QString &html, const QString &firstScreen);
    void cancelLoading();
    void takeParsedDocument();

    QTextEdit *m_edit;
    SafeTextDocument *m_document;
    FormattingController *m_formatting = nullptr;
    std::shared_ptr<UrlOpener> m_urlOpener;
    std::shared_ptr<DocumentPrinter> m_printer;
    SpellHighlighter *m_spelling = nullptr;
    QPointer<QAction> m_fontAction;
    bool m_browseMode = true;
    bool m_loading = false;
    std::shared_ptr<BackgroundParse> m_pendingLoad;
    SlicedLayout *m_slicedLayout;
    qsizetype m_backgroundLoadChars = BackgroundLoadChars;
    qsizetype m_firstScreenChars = FirstScreenChars;
    bool m_reportedModified = false;
    QString m_pressedAnchor;
};

} // namespace folio
