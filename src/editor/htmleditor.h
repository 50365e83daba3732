#pragma once

#include "editor/documentprint.h"
#include "editor/editcommands.h"
#include "widgets/prompts.h"

#include <QTextCharFormat>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>

class QKeyEvent;
class QMenu;
class QMouseEvent;
class QTextEdit;

namespace folio {

class FindTextDialog;
class FontChooser;
class SafeTextDocument;
class SaveFilePrompt;
class SelectionFormat;
class SpellChecker;
class SpellHighlighter;
class TextFormatter;
class UrlOpener;

// The HTML editing control of the document pane (object name DHTMLEdit1): one
// document as HTML, shown read-only (browse mode) or editable, with the
// editing commands of the formatting bar (see editcommands.h).
//
// A stored document never makes the control read a file or go to the
// network (SafeTextDocument); links open only for http, https and mailto.
class HtmlEditor : public QWidget
{
    Q_OBJECT
public:
    // Elements nested deeper than this are dropped (their text kept) when
    // a document is put into the control.
    static constexpr int MaxElementNesting = 200;
    // Tables inside more tables than this are flattened into blocks (their
    // text kept): the control's table layout doubles its time with every
    // level, and old pages and mails nest layout tables.
    static constexpr int MaxTableNesting = 6;

    // `html` within the nesting bounds above and with tables flattened
    // where their text would take too long to lay out (see tablebudget.h).
    static QString boundedHtml(const QString &html);

    explicit HtmlEditor(QWidget *parent = nullptr);
    ~HtmlEditor() override;

    // The whole document as HTML; setting it replaces the document (the
    // empty text gives an empty one), clears undo and the modified flag, and
    // emits documentComplete().
    QString documentHtml() const;
    void setDocumentHtml(const QString &html);

    // Browse mode: the document can be read, selected and copied, and its
    // links followed, but not changed.
    bool browseMode() const { return m_browseMode; }
    void setBrowseMode(bool browse);

    // Whether the user changed the document since the last setDocumentHtml().
    bool isModified() const;
    // Counts the shown text as changed by the user (a restored edit).
    void markModified();

    // Runs command `id` on the selection. Returns the font name (QString)
    // for GetFontName and the HTML font size 1-7 (int, 0 when mixed or
    // unknown) for GetFontSize; for the other commands true when it ran and
    // false when it was not available or its argument was unusable, in
    // which case nothing changed.
    QVariant execCommand(int id, int option = CommandOption::Default, const QVariant &argument = {});
    // One of the CommandState values for the current selection.
    int queryStatus(int id) const;

    // Prints the document through the document printer; the same as Ctrl+P
    // while the control has the focus. A failure is announced by
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
    // Select All and Font as the mode allows. Cut, Copy, Paste and Font run
    // through `runner` (the formatting bar's commands) when one is set.
    QMenu *textMenu(const QPoint &viewportPoint);
    void setCommandRunner(std::function<void(const QString &key)> runner) { m_runner = std::move(runner); }

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
    struct CaretState
    {
        int position = -1;
        int anchor = -1;
        QTextCharFormat format;
        bool operator==(const CaretState &) const = default;
    };

    SelectionFormat selectionFormat() const;
    bool isAvailable(int id) const;
    int latchState(int id) const;
    bool runCommand(int id, int option, const QVariant &argument);
    bool runFormatCommand(int id, const QVariant &argument);
    bool setFontName(const QVariant &argument);
    bool setFontSize(const QVariant &argument);
    bool setForeColor(const QVariant &argument);
    bool chooseFont();
    void showFindDialog(const QVariant &argument);

    bool handleKeyPress(QKeyEvent *event);
    void handleMouse(QMouseEvent *event);
    void openLink(const QString &href);
    CaretState caretState() const;
    void noteCaretActivity();
    void announceDisplayChange();
    void reportModification();
    void addSpellingEntries(QMenu *menu, int position);
    void replaceWord(int start, int length, const QString &replacement);
    void runMenuCommand(const QString &key, int id);

    QTextEdit *m_edit;
    SafeTextDocument *m_document;
    std::unique_ptr<TextFormatter> m_formatter;
    FindTextDialog *m_findDialog = nullptr;
    std::shared_ptr<UrlOpener> m_urlOpener;
    std::shared_ptr<DocumentPrinter> m_printer;
    std::shared_ptr<FontChooser> m_fontChooser;
    SpellHighlighter *m_spelling = nullptr;
    std::function<void(const QString &)> m_runner;
    bool m_browseMode = true;
    bool m_loading = false;
    bool m_reportedModified = false;
    int m_quiet = 0; // > 0 while a command or a load runs: one displayChanged at its end
    CaretState m_lastCaret;
    QString m_pressedAnchor;
};

} // namespace folio
