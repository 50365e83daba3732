#pragma once

namespace folio::bench {

class BenchSession;
class ResultTable;

// Opening documents of 10 KB, 100 KB and 1 MB, each one cold (never opened
// before in the run), through the event loop: first paint, layout complete
// and the longest freeze of the loop. Saving the 1 MB document, and typing
// in it through the event loop.
void measureDocumentOpenSave(BenchSession &session, ResultTable &table);

// A document of text with 20 pictures of about 300 KB: its open (first
// paint, freeze), scrolling through it, and typing next to a picture.
void measurePictures(BenchSession &session, ResultTable &table);

} // namespace folio::bench
