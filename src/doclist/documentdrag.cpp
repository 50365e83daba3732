#include "doclist/documentdrag.h"

namespace folio {

bool mayStartDocumentDrag(bool entrySelected, Qt::MouseButtons held)
{
    return entrySelected && (held & (Qt::LeftButton | Qt::RightButton));
}

} // namespace folio
