#pragma once

#include <Qt>

namespace folio {

// Documents are dragged from the list as soon as the pointer moves with the
// left or the right button held while an entry is selected; there is no
// time or distance threshold.
bool mayStartDocumentDrag(bool entrySelected, Qt::MouseButtons held);

} // namespace folio
