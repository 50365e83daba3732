#pragma once

#include <QString>
#include <functional>

class QObject;
class QTextDocument;

namespace folio::bench {

class BenchSession;
class ResultTable;

// Ways to put a 1 MB page on the screen that keep the stored HTML as it is,
// tried on a plain text edit beside the program (an exploration for the
// open goal, run with --explore-open; the program itself is not changed).
void exploreOpen(BenchSession &session, ResultTable &table);

// The start of a page, cut after the first closing paragraph tag from
// `chars` characters on and closed again: what fills the first screen.
// The whole page when there is no such tag.
QString firstScreenOf(const QString &html, qsizetype chars);

// Parses `html` into a new document on a thread of its own and hands the
// document, moved to the calling thread, to `done` there (from its event
// loop), unless `receiver` is gone by then. Nothing is laid out on the
// worker.
void parseOnWorker(const QString &html, QObject *receiver, std::function<void(QTextDocument *)> done);

} // namespace folio::bench
