#pragma once

#include <QString>

namespace folio {

// The HTML with its nesting brought within what the text control lays out
// in reasonable time:
//
// - elements nested deeper than `maxDepth` are removed: their start and end
//   tags are dropped, their text and everything else is kept;
// - a table inside more than `maxTableDepth` tables (the control's table
//   layout doubles its time with every level) is flattened: its table,
//   section, row and column tags are dropped and each cell and caption
//   becomes a block (<div>), its content kept; tables inside it likewise.
//
// End tags that HTML implies (a new <p> ends the open paragraph, a new <li>
// the list item, a new <td> or <tr> the cell and row, an end tag the
// elements still open inside its element) close those elements here as they
// do in the control, so an old page without them keeps its paragraphs and
// rows. Where the control would not close them itself, their end tags are
// written out.
//
// One pass over the text, so a hostile body of a hundred thousand nested
// tags costs what its length costs, not the square of its depth. A body
// that needs no change comes back unchanged (and is not copied).
QString capElementNesting(const QString &html, int maxDepth, int maxTableDepth);

} // namespace folio
