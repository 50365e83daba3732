#pragma once

#include <QToolBar>
#include <memory>

namespace folio {

class ColorChooser;
class OpenFilePrompt;
class FontBoxes;
class HtmlEditor;
class TitleBox;

// The formatting bar of the editor cool bar: clipboard keys, copy to
// title, find, undo, the two font boxes, bold, italic, underline, colour,
// picture, bullets and the three justifications, each a QAction named by
// its key. The editing keys are the editor's own actions (its
// FormattingController); copy to title, the font boxes and the picture
// need the pane around the editor and are the bar's.
class FormattingBar : public QToolBar
{
    Q_OBJECT
public:
    FormattingBar(HtmlEditor &editor, TitleBox &title, FontBoxes &fonts, QWidget *coolBar, QWidget *parent);

    // The "Font" key: shows the font name box.
    QAction *fontBoxAction() const { return m_fontBox; }
    void setColorChooser(std::shared_ptr<ColorChooser> chooser);
    void setOpenFilePrompt(std::shared_ptr<OpenFilePrompt> prompt) { m_openFile = std::move(prompt); }

private:
    void place(QAction *action);
    QAction *addKey(const char *key, const char *toolTip, void (FormattingBar::*handler)());
    void copyToTitle();
    void showNameBox();
    void showSizeBox();
    void insertPicture();

    HtmlEditor &m_editor;
    TitleBox &m_title;
    FontBoxes &m_fonts;
    QWidget *m_coolBar;
    QAction *m_fontBox = nullptr;
    std::shared_ptr<OpenFilePrompt> m_openFile;
};

} // namespace folio
