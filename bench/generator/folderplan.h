#pragma once

#include <QList>
#include <QString>

namespace folio::bench {

class BenchRandom;
class NameMaker;
struct GeneratorConfig;

struct PlannedFolder
{
    QString name;
    int parent = -1;   // index of the parent in the plan; -1 at the top level
    int depth = 1;     // 1 at the top level
};

// The shape of the folder tree, decided before anything is written. Parents
// come before their children, so the folders can be inserted in plan order.
// Most folders sit two to four levels deep, a few reach the deepest level,
// as in a tree a person grows over the years.
class FolderPlan
{
public:
    FolderPlan(const GeneratorConfig &config, const NameMaker &names, BenchRandom &random);

    const QList<PlannedFolder> &folders() const { return m_folders; }
    // The folder that receives exactly `switchFolderDocuments` documents.
    int switchFolder() const { return m_switchFolder; }
    int deepest() const;

    // Its name: known, so that a person can find it in the tree.
    static QString switchFolderName() { return QStringLiteral("Archive «all notes»"); }

private:
    void addDeepChain(int maxDepth, const NameMaker &names, BenchRandom &random);
    int chooseDepth(int maxDepth, BenchRandom &random) const;
    void add(const QString &name, int parent);

    QList<PlannedFolder> m_folders;
    QList<QList<int>> m_byDepth;   // folder indexes by depth - 1
    int m_switchFolder = -1;
};

} // namespace folio::bench
