#include "generator/folderplan.h"

#include "generator/benchrandom.h"
#include "generator/generatorconfig.h"
#include "generator/namemaker.h"

#include <cmath>

namespace folio::bench {

namespace {

// How likely a new sub-folder is to sit at depth 2, 3, ... 8.
constexpr double DepthWeights[] = {0.30, 0.30, 0.20, 0.10, 0.05, 0.03, 0.02};

} // namespace

FolderPlan::FolderPlan(const GeneratorConfig &config, const NameMaker &names, BenchRandom &random)
{
    const int count = config.folders;
    const int maxDepth = config.maxDepth;
    m_byDepth.resize(maxDepth);
    const int roots = std::max(1, int(std::lround(std::sqrt(double(count)) / 2.5)));

    addDeepChain(std::min(maxDepth, count), names, random);
    while (m_byDepth.at(0).size() < roots && m_folders.size() < count)
        add(names.folderName(random), -1);
    while (m_folders.size() < count) {
        if (maxDepth == 1) {
            add(names.folderName(random), -1);
            continue;
        }
        const int depth = chooseDepth(maxDepth, random);
        add(names.folderName(random), random.pick(m_byDepth.at(depth - 2)));
    }

    // A folder two or three levels down, as a person's busiest folder often is.
    QList<int> candidates;
    for (int depth = 2; depth <= std::min(3, maxDepth); ++depth)
        candidates += m_byDepth.at(depth - 1);
    if (candidates.isEmpty())
        candidates = m_byDepth.at(0);
    m_switchFolder = random.pick(candidates);
    m_folders[m_switchFolder].name = switchFolderName();
}

// One branch that reaches the deepest level, so that every base has one.
void FolderPlan::addDeepChain(int maxDepth, const NameMaker &names, BenchRandom &random)
{
    int parent = -1;
    for (int depth = 1; depth <= maxDepth; ++depth) {
        add(names.folderName(random), parent);
        parent = int(m_folders.size()) - 1;
    }
}

// Depth 2 to maxDepth (at least 2) by DepthWeights; every level down to the
// deepest already exists (the deep chain), so a parent one level up is there.
int FolderPlan::chooseDepth(int maxDepth, BenchRandom &random) const
{
    double roll = random.unit();
    int depth = 2;
    for (double weight : DepthWeights) {
        if (roll < weight || depth == maxDepth)
            break;
        roll -= weight;
        ++depth;
    }
    return depth;
}

void FolderPlan::add(const QString &name, int parent)
{
    const int depth = parent < 0 ? 1 : m_folders.at(parent).depth + 1;
    m_folders.append(PlannedFolder{name, parent, depth});
    m_byDepth[depth - 1].append(int(m_folders.size()) - 1);
}

int FolderPlan::deepest() const
{
    int deepest = 0;
    for (const PlannedFolder &folder : m_folders)
        deepest = std::max(deepest, folder.depth);
    return deepest;
}

} // namespace folio::bench
