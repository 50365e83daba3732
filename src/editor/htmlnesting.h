#pragma once

#include <QString>

namespace folio {

// The HTML with elements nested deeper than `maxDepth` removed: their start
// and end tags are dropped, their text and everything else is kept. One pass
// over the text, so a hostile body of a hundred thousand nested tags costs
// what its length costs, not the square of its depth. A body that nests
// no deeper comes back unchanged (and is not copied).
QString capElementNesting(const QString &html, int maxDepth);

} // namespace folio
