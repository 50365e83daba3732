#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// Spelling in a revision of the 1 MB document: the longest piece of
// checking between events and the loop's stalls with spelling on and off,
// typing into a word, and checking a 10 MB paste.
void measureSpelling(BenchSession &session, ResultTable &table);

} // namespace folio::bench
