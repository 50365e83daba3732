#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

namespace folio {

class MessageBoard;
class StorageError;

// The one channel through which failures reach the user: a dark-red notice
// on the message board that says what failed. A notice that arrives while
// the board is in use waits its turn; none is dropped.
class Notices : public QObject
{
    Q_OBJECT
public:
    explicit Notices(MessageBoard &board, QObject *parent = nullptr);

    // Queues the notice and shows it as soon as the event loop runs and the
    // board is free.
    void failure(const QString &text);
    void storageFailure(const StorageError &error);

    // Runs `work`; a StorageError or any other exception it throws becomes a
    // failure notice. Returns false when it failed.
    bool guard(const std::function<void()> &work);

    int pendingCount() const { return m_pending.size(); }

Q_SIGNALS:
    void failureReported(const QString &text);

private:
    void showNext();

    MessageBoard &m_board;
    QStringList m_pending;
    bool m_scheduled = false;
};

} // namespace folio
