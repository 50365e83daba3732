#pragma once

#include <QString>

namespace folio {

// How deep tables may nest in `html` (at most `maxTableDepth`) so that the
// text control lays it out in well under a second. The control lays out a
// table's content several times over, and twice as often for each table
// around it: a megabyte of text inside one table costs as much as six
// megabytes outside, a hundred kilobytes inside six tables seconds. The
// estimate weighs each character of text by the tables around it; where
// the sum is over the budget, deeper tables are flattened (see
// capElementNesting) until it fits, down to none at all. One pass over the
// text; tags are recognised loosely, which only moves the estimate a little.
int tableNestingWithinBudget(const QString &html, int maxTableDepth);

// The budget, in characters weighted by nesting: about 0.6 s of layout on
// the benchmark machine.
inline constexpr qint64 TableLayoutBudget = 600 * 1024;

} // namespace folio
