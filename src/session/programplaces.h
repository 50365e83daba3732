#pragma once

#include <QString>

namespace folio {

// Where the program keeps its data and finds its read-only files.
//
// A program folder of its own that can be written (it holds the template
// or the database, and the user may write it) keeps everything: the
// portable install, as the build's install makes it. A system install
// (the program in /usr/bin) keeps the data in $XDG_DATA_HOME/foliokeeper
// (~/.local/share/foliokeeper) and reads the template and the manual from
// ../share/foliokeeper beside the program, or from the program folder when
// they are there (a read-only portable copy).
struct ProgramPlaces
{
    QString dataDir;       // KB97.MDB, foliok.ini, backups, the recovery file
    QString resourceDir;   // blank97.MDB and the manual
    bool portable = true;  // the data lives in the program folder
};

// `xdgDataHome` is $XDG_DATA_HOME (empty: not set); `home` the home folder.
ProgramPlaces locateProgramPlaces(const QString &executableDir, const QString &xdgDataHome, const QString &home);

// The places for this process, from the environment.
ProgramPlaces locateProgramPlaces(const QString &executableDir);

// Makes the data folder (mode 0700) when it lives apart from the program,
// and puts the template there when it is missing or differs from the
// installed one, so that opening and rebuilding find it. Returns what
// failed, in words for the user; empty when all is in place.
QString prepareDataFolder(const ProgramPlaces &places);

} // namespace folio
