#pragma once

#include "platform/file_system.h"
#include "state/app_state.h"
#include "state/window_controls.h"

#include <QString>

namespace fambridge {

// What the user chose in a window, taken into the AppState, with what the choice enables shown in the main
// window. The windows only read their controls and hand the choice on.

// The GED file to import from: Import(0) can start on it.
void chooseImportFile(AppState& state, MainFormControls& mainForm, const QString& file);
// The GED file to export to: Export(1) can start to it.
void chooseExportFile(AppState& state, MainFormControls& mainForm, const QString& file);
// The database picked in DBList: a file to export it to may be chosen. An empty pick chooses none.
void chooseDatabase(AppState& state, MainFormControls& mainForm, const QString& name);
// The drive picked in the user folder dialog, "c:"; returns it as the DriveSpec keeps it, "C:".
QString chooseDrive(AppState& state, const QString& drive);
// The folder the user folder dialog shows when OK is pressed, a drive root with its backslash: it becomes
// the user folder, named in the main window, and DBList lists its databases.
void chooseUserFolder(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
                      const QString& folder);

} // namespace fambridge
