#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// Ways to put a 1 MB page on the screen that keep the stored HTML as it is,
// tried on a plain text edit beside the program (an exploration for the
// open goal, run with --explore-open; the program itself is not changed).
void exploreOpen(BenchSession &session, ResultTable &table);

} // namespace folio::bench
