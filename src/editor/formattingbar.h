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
// bullets and the three justifications, each a QAction named by its key.
class FormattingBar : public QToolBar
{
    Q_OBJECT
public:
    FormattingBar(HtmlEditor &editor, TitleBox &title, FontBoxes &fonts, QWidget *coolBar, QWidget *parent);

    static const QStringList &keys();
    // Runs the key's action; unknown keys do nothing.
    void run(const QString &key);
    void setColorChooser(std::shared_ptr<ColorChooser> chooser) { m_colors = std::move(chooser); }
    void setOpenFilePrompt(std::shared_ptr<OpenFilePrompt> prompt) { m_openFile = std::move(prompt); }

private:
    void copyToTitle();
    void chooseColor();
    void insertPicture();

    HtmlEditor &m_editor;
    TitleBox &m_title;
    FontBoxes &m_fonts;
    QWidget *m_coolBar;
    std::shared_ptr<ColorChooser> m_colors;
    std::shared_ptr<OpenFilePrompt> m_openFile;
};

} // namespace folio
