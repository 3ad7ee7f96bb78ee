#pragma once

#include <QString>

namespace fambridge {

// The UserFolder value that means "no user folder is known". The database list sets it, discovery returns
// it, and the converters then get folders on the root of C:.
inline constexpr char kNoUserFolder[] = "C:";

// The program-wide variables through which start-up, the windows and the commands talk to one another.
// Paths are DOS paths. The window sizing keeps its own variables beside it (layout/window_sizing.h).
struct AppState {
    QString AppDir;
    QString IniPath;
    QString UserFolder;
    QString DriveSpec;
    QString ImportFile;
    QString ExportFile;
    QString ImportDir;
    QString ImportName;
    QString ExportDir;
    QString ExportName;
    QString DatabaseName;
};

} // namespace fambridge
