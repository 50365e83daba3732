#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// The search rows and their baselines: the program's own search (one
// keyword, two with AND and OR, a short keyword) over fixed keyword sets,
// a LIKE '%word%' scan of the titles and the HTML over the same sets (the
// way a search without an index has to read every page), the index build
// after opening a file without it, and the file size with and without the
// search structures.
void measureSearch(BenchSession &session, ResultTable &table);

} // namespace folio::bench
