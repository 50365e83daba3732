#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// Filling the folder tree from the database (the tree's own reload).
void measureTreeLoad(BenchSession &session, ResultTable &table);
// Expanding a top-level folder of 5,000 sub-folders, put in order then.
void measureTreeExpand(BenchSession &session, ResultTable &table);
// Selecting the folder that holds the most documents in the tree: the
// tree's selection handling fills the document list.
void measureFolderSwitch(BenchSession &session, ResultTable &table);

} // namespace folio::bench
