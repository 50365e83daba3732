#pragma once

#include <QObject>
#include <QStringList>

class QComboBox;
class QWidget;

namespace folio {

class AppState;
class FormattingController;
class HtmlEditor;

// The font name and size boxes: they float just under the editor cool bar
// while a choice is made, send the choice to the editor, and show the
// selection's font whenever the editor's display changes.
class FontBoxes : public QObject
{
    Q_OBJECT
public:
    FontBoxes(HtmlEditor &editor, AppState &state, QWidget *pane);

    static const QStringList &fontNames();
    static const QStringList &fontSizes();

    QComboBox *nameBox() const { return m_name; }
    QComboBox *sizeBox() const { return m_size; }

    // Fills both boxes (at load, before the editor has shown a document).
    void fillFontBoxes();
    // Empties and disables both boxes.
    void clearFontBoxes();
    // Shows the selection's font name and size.
    void syncFontBoxes();
    void setEnabled(bool enabled);

    // Shows a box at its place under the cool bar and gives it the focus.
    void showNameBox(int coolBarHeight);
    void showSizeBox(int coolBarHeight);
    void hideBoxes();

    // The editor finished loading a document.
    void documentComplete();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // `family` empty and `htmlSize` 0 where the selection mixes them.
    void showFont(const QString &family, int htmlSize);
    void nameChosen(int index);
    void sizeChosen(int index);
    void showBox(QComboBox *box, int left, int top);

    FormattingController &m_formatting;
    AppState &m_state;
    QComboBox *m_name;
    QComboBox *m_size;
};

} // namespace folio
