#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// Opening the 1 MB document into the editor and saving it back.
void measureDocumentOpenSave(BenchSession &session, ResultTable &table);

} // namespace folio::bench
