#include "widgets/busyscope.h"

namespace folio {

BusyScope::BusyScope(StatusPanel &status, DbStatus shown)
    : m_status(status)
{
    m_status.enterBusy(shown);
}

BusyScope::~BusyScope()
{
    m_status.leaveBusy();
}

void BusyScope::show(DbStatus status)
{
    m_status.setDbStatus(status);
}

} // namespace folio
