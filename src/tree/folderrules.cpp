#include "tree/folderrules.h"

namespace folio {

LabelEditDecision decideLabelEdit(const QString &typed)
{
    if (typed.isEmpty())
        return {};
    if (typed.size() <= MaxFolderNameLength)
        return {true, typed, false};
    int keep = MaxFolderNameLength;
    if (typed.at(keep - 1).isHighSurrogate())
        --keep;
    return {true, typed.left(keep), true};
}

} // namespace folio
