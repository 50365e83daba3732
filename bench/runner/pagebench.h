#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// Pages that would freeze the editing control: tables nested far inside one
// another, and much text inside tables. Each is put into the document pane's
// editor and timed until its layout is complete.
void measureHostilePages(BenchSession &session, ResultTable &table);

} // namespace folio::bench
