#include "editor/editrecovery.h"

#include "session/session.h"
#include "storage/recoverywriter.h"
#include "storage/storageerror.h"
#include "widgets/appcontext.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"

#include <QtDebug>
#include <algorithm>

namespace folio {

namespace {

const QString RestoreQuestion = QStringLiteral(
    "Folio Keeper was ended while a document had changes that were not saved (\"%1\"). Do you want to restore "
    "them?");
const QString NotKeptAfterFailure = QStringLiteral(
    " Until this is mended, unsaved words are not kept safe from a crash: save them.");

} // namespace

EditRecovery::EditRecovery(AppContext &context, CurrentEdit current, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_current(std::move(current))
{
    m_writer = std::make_unique<RecoveryWriter>(m_context.session.programDir(), [this](const QString &failure) {
        QMetaObject::invokeMethod(this, [this, failure] { reportWrite(failure); }, Qt::QueuedConnection);
    });
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &EditRecovery::refresh);
}

// The writer finishes what it was given (a removal after a save included)
// before the program goes.
EditRecovery::~EditRecovery()
{
    m_writer.reset();
}

void EditRecovery::noteChange()
{
    if (m_offerPending)
        return;
    if (!m_firstUnkept.isValid())
        m_firstUnkept.start();
    const qint64 toLatest = LatestMs - m_firstUnkept.elapsed();
    m_timer.start(int(std::clamp<qint64>(toLatest, 0, qint64(PauseMs))));
}

void EditRecovery::refresh()
{
    m_timer.stop();
    m_firstUnkept.invalidate();
    if (m_offerPending)
        return;
    std::optional<RecoveredEdit> edit = m_current();
    if (!edit)
        return;
    m_writer->write(std::move(*edit));
    m_fileIsOurs = true;
}

void EditRecovery::editEnded()
{
    m_timer.stop();
    m_firstUnkept.invalidate();
    if (!m_fileIsOurs)
        return;
    m_writer->remove();
    m_fileIsOurs = false;
}

bool EditRecovery::keepNow()
{
    m_timer.stop();
    const std::optional<RecoveredEdit> edit = m_current();
    if (!edit)
        return true;
    try {
        m_writer->writeNow(*edit);
        m_fileIsOurs = true;
        return true;
    } catch (const StorageError &e) {
        const QString text = e.userText();
        qWarning().noquote() << "Folio Keeper:" << text;
        m_context.notices.failure(text + NotKeptAfterFailure);
        return false;
    }
}

void EditRecovery::flush()
{
    m_writer->flush();
}

// Once per run of failures: a folder that cannot be written would
// otherwise bring the same notice every few seconds.
void EditRecovery::reportWrite(const QString &failure)
{
    if (failure.isEmpty()) {
        m_failureShown = false;
        return;
    }
    if (m_failureShown)
        return;
    m_failureShown = true;
    m_context.notices.failure(failure + NotKeptAfterFailure);
}

void EditRecovery::setOfferPending(bool pending)
{
    if (m_offerPending == pending)
        return;
    m_offerPending = pending;
    Q_EMIT offerPendingChanged(pending);
}

void EditRecovery::offer(const Restore &restore)
{
    const RecoveryFile file(m_context.session.programDir());
    if (!file.isPending())
        return;
    const std::optional<RecoveredEdit> edit = file.read();
    if (!edit) {
        m_context.notices.failure(
            QStringLiteral("%1 holds words kept from an earlier run but cannot be read; it was left in place.")
                .arg(file.path()));
        return;
    }
    setOfferPending(true);
    // Words that would otherwise be lost: the question takes the board from
    // any notice that waits for OK.
    const BoardAnswer answer = m_context.board.askUrgent(RestoreQuestion.arg(edit->title.left(80)),
                                                         BoardButtons::YesNo);
    setOfferPending(false);
    if (answer == BoardAnswer::Yes) {
        // The file holds exactly the words the pane now has: it stays
        // until they are saved or let go, and is rewritten as they change.
        restore(*edit);
        m_fileIsOurs = true;
    } else if (answer == BoardAnswer::No) {
        try {
            file.discard();
        } catch (const StorageError &e) {
            m_context.notices.failure(e.userText() + QStringLiteral(" The words will be offered again at the next start."));
        }
    }
}

} // namespace folio
