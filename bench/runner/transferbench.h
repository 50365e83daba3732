#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// Whole collections in and out: importing a tree of 10,000 Markdown files
// into the base, and exporting the whole base as HTML pages.
void measureTransfer(BenchSession &session, ResultTable &table);

} // namespace folio::bench
