#pragma once

#include "widgets/statuspanel.h"

namespace folio {

// Shows BUSY in the status panel for as long as it lives and IDLE again when
// it ends, whichever way the work ends (an exception included). Scopes nest:
// the panel returns to IDLE when the outermost one ends.
class BusyScope
{
public:
    explicit BusyScope(StatusPanel &status, DbStatus shown = DbStatus::Busy);
    ~BusyScope();
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

    // Switches the picture while the scope lasts (Loading while the editor
    // takes a document).
    void show(DbStatus status);

private:
    StatusPanel &m_status;
};

} // namespace folio
