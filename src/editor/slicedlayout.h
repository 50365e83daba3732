#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QAbstractTextDocumentLayout;
class QTextDocument;

namespace folio {

// Lays out the document a text edit has just been given in slices of a few
// milliseconds from the event loop, in place of the text engine's own lazy
// layout: its slices double up to 200,000 characters, and the last ones hold
// up the window for a tenth of a second and more on a long document.
class SlicedLayout : public QObject
{
    Q_OBJECT
public:
    explicit SlicedLayout(QObject *parent = nullptr);

    void start(QTextDocument *document);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

protected:
    // Holds back the layout's own timer while the slices run.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void slice();

    QPointer<QTextDocument> m_document;
    QPointer<QAbstractTextDocumentLayout> m_layout;
    QTimer m_timer;
    int m_position = 0;
};

} // namespace folio
