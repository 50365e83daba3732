// Makes the empty template database blank97.MDB from resources/schema.sql.
#include "storage/schema.h"
#include "storage/storageerror.h"

#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: foliok-mktemplate schema.sql output.mdb\n");
        return 2;
    }
    QFile schema(QString::fromLocal8Bit(argv[1]));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    try {
        folio::createDatabaseFile(QString::fromLocal8Bit(argv[2]), QString::fromUtf8(schema.readAll()));
    } catch (const folio::StorageError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
