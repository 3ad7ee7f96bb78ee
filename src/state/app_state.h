#pragma once

#include <QString>

namespace fambridge {

// The system drive, bare. As the UserFolder it means that no user folder is known: the database list sets
// it, discovery returns it, and the converters then get folders on the root of C:. Discovery looks at its
// root when kPalmFolder is missing, and the user folder dialog shows it until a saved user folder names
// another drive.
inline constexpr QLatin1String kSystemDrive("C:");
// Where discovery looks for the user folders first.
inline constexpr QLatin1String kPalmFolder("C:\\PALM");

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
