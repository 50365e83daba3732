#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// Whole-file operations (compaction, backup, restore) and their baseline: a
// plain copy of KB97.MDB with a flush to the disk.
void measureFileOperations(BenchSession &session, ResultTable &table);

} // namespace folio::bench
