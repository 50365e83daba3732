#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// The search rows and their baselines: a LIKE '%word%' scan of the titles
// and the HTML, the way a search without an index has to read every page.
void measureSearch(BenchSession &session, ResultTable &table);

} // namespace folio::bench
