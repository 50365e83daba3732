#include "widgets/notices.h"

#include "storage/storageerror.h"
#include "widgets/messageboard.h"

#include <QTimer>
#include <QtDebug>

namespace folio {

Notices::Notices(MessageBoard &board, QObject *parent)
    : QObject(parent)
    , m_board(board)
{
    connect(&m_board, &MessageBoard::becameIdle, this, [this] {
        if (!m_pending.isEmpty() && !m_scheduled) {
            m_scheduled = true;
            QTimer::singleShot(0, this, &Notices::showNext);
        }
    });
}

void Notices::failure(const QString &text)
{
    qWarning().noquote() << "Folio Keeper:" << text;
    m_pending.append(text);
    Q_EMIT failureReported(text);
    if (!m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(0, this, &Notices::showNext);
    }
}

void Notices::storageFailure(const StorageError &error)
{
    failure(error.userText());
}

bool Notices::guard(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const StorageError &e) {
        storageFailure(e);
    } catch (const std::exception &e) {
        // The texts our own code throws are built from QString as UTF-8,
        // whatever the locale's encoding.
        failure(QStringLiteral("An unexpected error occurred: %1").arg(QString::fromUtf8(e.what())));
    }
    return false;
}

void Notices::showNext()
{
    m_scheduled = false;
    if (m_pending.isEmpty() || m_board.isBusy())
        return;  // the board's next idle moment brings us back
    const QString text = m_pending.takeFirst();
    // A question about unsaved words may take the board from a notice
    // before it was read: it comes back once the board is free again.
    if (m_board.warn(text) == BoardAnswer::NotAsked && !m_board.isShutDown()) {
        m_pending.prepend(text);
        if (!m_board.isBusy() && !m_scheduled) {
            m_scheduled = true;
            QTimer::singleShot(0, this, &Notices::showNext);
        }
    }
}

} // namespace folio
