#pragma once

#include <QTextEdit>

#include <functional>
#include <memory>

class QMenu;

namespace folio {

class SaveFilePrompt;
struct PreparedPicture;

// The editing control's text view. HTML that is pasted or dropped into it
// goes through the same nesting bounds as a document that is opened
// (HtmlEditor::boundedHtml), so no page copied from a browser or a mail
// can freeze the window either.
//
// Pictures: a picture on the clipboard and picture files dropped from the
// file manager go in at the cursor (or where dropped) as data: URLs,
// prepared by preparePicture(); pictures of pasted HTML that point
// elsewhere become links, never fetched. A right click on a picture offers
// its shown size, Copy Picture and Save Picture As.
class BoundedTextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit BoundedTextEdit(QWidget *parent = nullptr);

    // Inserts the picture file at the cursor; false (and pictureRefused())
    // when it is refused.
    bool insertPictureFile(const QString &path);
    // Inserts a prepared picture at the cursor, at its own size.
    void insertPicture(const PreparedPicture &picture);

    // The picture at document position `position` (the character after it),
    // or an empty name.
    QString pictureNameAt(int position) const;
    // Shows the picture at `position` at `percent` of its own size, or as
    // wide as the page when `percent` is 0; its pixels stay as stored.
    bool setPictureScale(int position, int percent);
    bool copyPicture(int position) const;
    bool savePictureAs(int position);

    // The pop-up menu of the picture at `position`.
    QMenu *pictureMenu(int position);

    void setSaveFilePrompt(std::shared_ptr<SaveFilePrompt> prompt) { m_saveFile = std::move(prompt); }
    // Builds the pop-up menu for a right click on text (not on a picture).
    void setTextMenu(std::function<QMenu *(const QPoint &viewportPoint)> make) { m_textMenu = std::move(make); }

    // HTML with pictures that point outside the document turned into links
    // showing their address.
    static QString withoutOutsidePictures(const QString &html);

Q_SIGNALS:
    // A picture was not inserted or saved; the text says which and why.
    void pictureRefused(const QString &text);

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    bool insertPictureData(const QMimeData *source);
    int pictureAtPoint(const QPoint &viewportPoint) const;
    QImage pictureImage(const QString &name) const;
    qreal pageWidth() const;
    // The data: URL of a picture's name (the document holds large ones apart).
    QString pictureSource(const QString &name) const;

    std::shared_ptr<SaveFilePrompt> m_saveFile;
    std::function<QMenu *(const QPoint &)> m_textMenu;
};

} // namespace folio
