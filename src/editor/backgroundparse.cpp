#include "editor/backgroundparse.h"

#include "editor/htmleditor.h"
#include "editor/safetextdocument.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

namespace folio {

namespace {

// Its own pool: a long job in the shared one must not hold up showing a
// document.
QThreadPool &parsePool()
{
    static QThreadPool pool;
    return pool;
}

} // namespace

DocumentSettings DocumentSettings::of(const QTextDocument &document)
{
    DocumentSettings settings;
    settings.font = document.defaultFont();
    settings.option = document.defaultTextOption();
    settings.styleSheet = document.defaultStyleSheet();
    settings.margin = document.documentMargin();
    settings.indentWidth = document.indentWidth();
    settings.designMetrics = document.useDesignMetrics();
    settings.undoRedo = document.isUndoRedoEnabled();
    return settings;
}

void DocumentSettings::applyTo(QTextDocument &document) const
{
    document.setDefaultFont(font);
    document.setDefaultTextOption(option);
    document.setDefaultStyleSheet(styleSheet);
    document.setDocumentMargin(margin);
    document.setIndentWidth(indentWidth);
    document.setUseDesignMetrics(designMetrics);
    document.setUndoRedoEnabled(undoRedo);
}

std::unique_ptr<SafeTextDocument> BackgroundParse::parseNow(const QString &html, const DocumentSettings &settings)
{
    auto document = std::make_unique<SafeTextDocument>();
    settings.applyTo(*document);
    document->clearImageCache();
    document->setHtml(HtmlEditor::boundedHtml(document->stashPictures(html)));
    document->setModified(false);
    // The layout object made here, with no page size yet so that nothing is
    // laid out: the edit that takes the document sets its width and lays it
    // out once.
    document->setPageSize(QSizeF(0, 0));
    document->documentLayout();
    return document;
}

BackgroundParse::BackgroundParse(const QString &html, const DocumentSettings &settings)
    : m_html(html)
    , m_settings(settings)
{
}

BackgroundParse::~BackgroundParse() = default;

std::shared_ptr<BackgroundParse> BackgroundParse::start(const QString &html, const DocumentSettings &settings,
                                                        QObject *receiver, std::function<void()> ready)
{
    std::shared_ptr<BackgroundParse> parse(new BackgroundParse(html, settings));
    QThread *home = QThread::currentThread();
    QPointer<QObject> target(receiver);
    parsePool().start([parse, home, target, ready = std::move(ready)]() mutable {
        parse->runOnWorker(home);
        // The last reference goes with the call, on the starting thread, so
        // that an unwanted document is deleted there.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [parse = std::move(parse), target, ready = std::move(ready)] {
                if (target && parse->isDone())
                    ready();
            },
            Qt::QueuedConnection);
    });
    return parse;
}

void BackgroundParse::runOnWorker(QThread *home)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Queued)
            return;
        m_state = State::Running;
    }
    std::unique_ptr<SafeTextDocument> document = parseNow(m_html, m_settings);
    document->moveToThread(home);
    std::lock_guard lock(m_mutex);
    m_document = std::move(document);
    if (m_state == State::Running)
        m_state = State::Done;
    m_finished.notify_all();
}

std::unique_ptr<SafeTextDocument> BackgroundParse::take()
{
    std::unique_lock lock(m_mutex);
    if (m_state == State::Queued) {
        m_state = State::Taken;
        lock.unlock();
        return parseNow(m_html, m_settings);
    }
    m_finished.wait(lock, [this] { return m_document != nullptr || m_state == State::Taken; });
    m_state = State::Taken;
    return std::move(m_document);
}

bool BackgroundParse::isDone()
{
    std::lock_guard lock(m_mutex);
    return m_state == State::Done;
}

void BackgroundParse::cancel()
{
    std::lock_guard lock(m_mutex);
    m_state = State::Cancelled;
}

void BackgroundParse::waitForAll()
{
    parsePool().waitForDone();
}

} // namespace folio
