#pragma once

#include <QFont>
#include <QPointer>
#include <QString>
#include <QTextOption>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QObject;
class QThread;
class QTextDocument;

namespace folio {

class SafeTextDocument;

// What a text edit has set on its document and the HTML import or the
// layout depends on. A document read elsewhere gets the same before its
// page is read, so that it comes out as the edit's own would, and taking it
// into the edit does not format every block again.
struct DocumentSettings
{
    QFont font;
    QTextOption option;
    QString styleSheet;
    qreal margin = 0;
    qreal indentWidth = 0;
    bool designMetrics = false;
    bool undoRedo = true;

    static DocumentSettings of(const QTextDocument &document);
    void applyTo(QTextDocument &document) const;
};

// A page read into a new document of the editor's own kind on a worker
// thread, exactly as HtmlEditor::setDocumentHtml() reads one (pictures held
// apart, nesting and tables bounded). The document is handed over on the
// thread that started the parse.
class BackgroundParse
{
public:
    // Starts reading `html`; `ready` is called on the starting thread once
    // the document can be taken, unless `receiver` is gone by then.
    static std::shared_ptr<BackgroundParse> start(const QString &html, const DocumentSettings &settings,
                                                  QObject *receiver, std::function<void()> ready);
    // Reads `html` on the calling thread.
    static std::unique_ptr<SafeTextDocument> parseNow(const QString &html, const DocumentSettings &settings);

    // The parsed document, owned by the caller's thread. Waits for the
    // worker, or reads the page here when the worker has not begun it.
    std::unique_ptr<SafeTextDocument> take();
    // The document is not wanted: a worker that has not begun leaves it,
    // and `ready` is not called.
    void cancel();

    // Waits until no page is being read (before the window goes away: a
    // worker must not outlive the application it reads fonts from).
    static void waitForAll();

    ~BackgroundParse();

private:
    enum class State { Queued, Running, Done, Taken, Cancelled };
    BackgroundParse(const QString &html, const DocumentSettings &settings);
    void runOnWorker(QThread *home);
    bool isDone();

    const QString m_html;
    const DocumentSettings m_settings;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    State m_state = State::Queued;
    std::unique_ptr<SafeTextDocument> m_document;
};

} // namespace folio
