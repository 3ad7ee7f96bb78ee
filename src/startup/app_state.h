#pragma once

#include <QString>
#include <QtGlobal>

namespace fambridge {

// The program-wide variables through which start-up, the windows and the layout talk to one another.
// Paths are DOS paths; "C:" in UserFolder means that no user folder is known.
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

    qint16 TwipsPerPixelX = 0;
    qint16 TwipsPerPixelY = 0;
    qint16 ScreenWidthPx = 0;
    qint16 ScreenHeightPx = 0;
    bool FirstLayout = false;
    bool ResizeArmed = false;
};

} // namespace fambridge
