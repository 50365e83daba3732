#pragma once

#include "editor/selectionformat.h"

#include <QObject>
#include <QTextCharFormat>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QColor;
class QTextEdit;
class QWidget;

namespace folio {

class ColorChooser;
class FindTextDialog;
class FontChooser;
class TextFormatter;

// What the editor can do to its text or its selection.
enum class TextCommand {
    Copy,
    Cut,
    Paste,
    SelectAll,
    Undo,
    Find,
    FontDialog, // family, size, weight, slant and underline chosen at once
    FontName,   // takes a family name; no action (the font boxes choose it)
    FontSize,   // takes an HTML size 1-7; no action
    Color,
    Bold,
    Italic,
    Underline,
    Bullets,
    AlignLeft,
    AlignCenter,
    AlignRight,
};
inline constexpr int TextCommandCount = int(TextCommand::AlignRight) + 1;

// The editing commands of the HTML editor, each a QAction named by its
// toolbar key ("Copy", "Bold", "Center", ...), and the state they show:
// - the toggles (bold, italic, underline, bullets and the three
//   alignments) are checked while the whole selection, or the format the
//   caret types with, has the property; a mixed selection leaves them
//   unchecked;
// - commands that change the text are enabled in edit mode only;
// - fontAtCaret() tells the selection's font after each change of display.
//
// A command that cannot run (nothing selected to cut, an unusable value,
// browse mode) changes nothing and reports false.
class FormattingController : public QObject
{
    Q_OBJECT
public:
    // `owner` is the editor widget: the parent of the controller and of the
    // dialogs it opens.
    FormattingController(QTextEdit &edit, QWidget *owner);
    ~FormattingController() override;

    // nullptr for FontName and FontSize, which need a value.
    QAction *action(TextCommand command) const { return m_actions[std::size_t(command)]; }

    bool browseMode() const { return m_browseMode; }
    void setBrowseMode(bool browse);
    bool isAvailable(TextCommand command) const;
    // How much of the selection has a toggle's property; None for the
    // commands that are not toggles.
    Coverage coverage(TextCommand command) const;
    // The selection's font family and HTML size (0 when unknown); nothing
    // where the selection mixes several.
    std::optional<QString> fontFamily() const;
    std::optional<int> htmlFontSize() const;

    // Runs a command that takes no value; false when it did not run.
    bool run(TextCommand command);
    bool setFontFamily(const QString &family);
    bool setHtmlFontSize(int htmlSize);
    bool setForeColor(const QColor &color);
    // Shows the find dialog; a non-empty `text` is put in as what to find.
    void find(const QString &text);

    void setFontChooser(std::shared_ptr<FontChooser> chooser);
    void setColorChooser(std::shared_ptr<ColorChooser> chooser);
    // Called before a command reads or changes the whole text (all but
    // Copy, which takes the selection as shown), and before each search.
    void setBeforeWholeText(std::function<void()> before) { m_beforeWholeText = std::move(before); }

    // How the display is reported once a held change (a load, a command)
    // ends: always, or only when the caret, the selection or the caret's
    // format moved.
    enum class Report { Always, IfMoved };
    // Caret moves during a held change are not reported one by one.
    void holdDisplay() { ++m_held; }
    void releaseDisplay(Report report);

Q_SIGNALS:
    // The selection or the format at the caret changed, or a command may
    // have changed the selection's format.
    void displayChanged();
    // With each displayChanged(): the selection's font family and HTML
    // size, empty and 0 where the selection mixes them.
    void fontAtCaret(const QString &family, int htmlSize);

private:
    struct CaretState
    {
        int position = -1;
        int anchor = -1;
        QTextCharFormat format;
        bool operator==(const CaretState &) const = default;
    };

    void createActions();
    void updateEnabled();
    void updateChecks();
    void trigger(TextCommand command);
    bool heldRun(bool changesText, const std::function<bool()> &work);
    bool runNow(TextCommand command);
    bool runToggle(TextCommand command);
    bool chooseFont();
    bool chooseColor();
    void showFindDialog(const QString &text);
    SelectionFormat selectionFormat() const;
    CaretState caretState() const;
    void noteCaretActivity();
    void announce();

    QTextEdit &m_edit;
    QWidget *m_owner;
    std::unique_ptr<TextFormatter> m_formatter;
    std::function<void()> m_beforeWholeText;
    std::array<QAction *, TextCommandCount> m_actions{};
    FindTextDialog *m_findDialog = nullptr;
    std::shared_ptr<FontChooser> m_fontChooser;
    std::shared_ptr<ColorChooser> m_colorChooser;
    bool m_browseMode = true;
    int m_held = 0; // > 0 while a load or a command runs: one report at its end
    CaretState m_lastCaret;
};

} // namespace folio
