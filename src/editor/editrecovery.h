#pragma once

#include "storage/recoveryfile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace folio {

struct AppContext;
class RecoveryWriter;

// Keeps the words of an unsaved edit in the recovery file, so that they
// survive a kill or a power cut: the file is written again soon after the
// user changes something (a second after the typing pauses, and never more
// than five seconds after a change), from a writer thread, and goes once
// the edit is saved or let go. At start it offers back the words an
// earlier run kept. Failures are said on the message board.
class EditRecovery : public QObject
{
    Q_OBJECT
public:
    // The unsaved edit to keep, or nothing when the pane holds none.
    using CurrentEdit = std::function<std::optional<RecoveredEdit>()>;
    // Puts kept words back into the pane as an unsaved edit.
    using Restore = std::function<void(const RecoveredEdit &edit)>;

    static constexpr int PauseMs = 1000;
    static constexpr int LatestMs = 5000;

    EditRecovery(AppContext &context, CurrentEdit current, QObject *parent = nullptr);
    ~EditRecovery() override;

    // The pane's words changed.
    void noteChange();
    // The edit was saved, cancelled or let go: its words need no keeping.
    void editEnded();
    // The program ends now (a signal): the unsaved words are written before
    // this returns. False, after saying why, when they could not be.
    bool keepNow();
    // Hands the unsaved words to the writer thread now (what the timer
    // does); the window's share of the work is taking a copy of them.
    void refresh();
    // Waits until the writer thread has done what it was given.
    void flush();

    // Words of an earlier run wait for the user's answer; until then no
    // edit may begin, so that nothing overwrites them.
    bool isOfferPending() const { return m_offerPending; }
    // Asks whether to restore the words an earlier run kept; Yes hands them
    // to `restore`, No lets them go. No answer (the window closed) keeps
    // the file for the next start.
    void offer(const Restore &restore);

Q_SIGNALS:
    void offerPendingChanged(bool pending);

private:
    void reportWrite(const QString &failure);
    void setOfferPending(bool pending);

    AppContext &m_context;
    CurrentEdit m_current;
    std::unique_ptr<RecoveryWriter> m_writer;
    QTimer m_timer;
    QElapsedTimer m_firstUnkept;
    bool m_fileIsOurs = false;   // the file holds this run's words (or none)
    bool m_failureShown = false;
    bool m_offerPending = false;
};

} // namespace folio
