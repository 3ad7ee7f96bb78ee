#pragma once

#include "platform/file_system.h"
#include "platform/result.h"
#include "startup/app_state.h"
#include "startup/form_controls.h"

namespace fambridge {

// Everything start-up does before the main window is shown: fixes the application folder, takes the
// user's last choices from Famlore.ini or falls back to the defaults, fills the database list and writes
// the values into both windows. Fails only when the current folder lies on no drive.
Status StartUp(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
               BackupDialogControls& backupDialog);

// No usable settings: no file choices, no database, and the user folder found under C:\PALM.
void SetDefaults(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm);

} // namespace fambridge
