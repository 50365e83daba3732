#pragma once

#include <QTextEdit>
#include <QWidget>

namespace folio {

// The HTML editing control of the document pane: one document as HTML,
// shown read-only (browse mode) or editable.
class HtmlEditor : public QWidget
{
    Q_OBJECT
public:
    explicit HtmlEditor(QWidget *parent = nullptr);

    QString documentHtml() const;
    void setDocumentHtml(const QString &html);
    bool browseMode() const { return m_browseMode; }
    void setBrowseMode(bool browse);
    QTextEdit *textEdit() const { return m_edit; }

Q_SIGNALS:
    void documentComplete();
    void displayChanged();
    void clicked();

private:
    QTextEdit *m_edit;
    bool m_browseMode = true;
};

} // namespace folio
