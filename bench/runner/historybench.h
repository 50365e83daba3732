#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// The document history: listing the versions of a document that has 500 of
// them, in its window.
void measureHistory(BenchSession &session, ResultTable &table);

} // namespace folio::bench
