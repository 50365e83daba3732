#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace folio::bench {

class BenchSession;
class ResultTable;

// One area of measurements: it adds its rows (and baselines) to the table.
struct BenchCase
{
    QString name;   // for --only
    std::function<void(BenchSession &, ResultTable &)> run;
};

// Every area, in the order the table shows them.
QList<BenchCase> benchCases();

} // namespace folio::bench
