#pragma once

#include "platform/file_system.h"
#include "platform/result.h"
#include "startup/settings_file.h"
#include "state/app_state.h"
#include "state/window_controls.h"

namespace fambridge {

// Everything start-up does before the main window is shown: fixes the application folder, takes the
// user's last choices from Famlore.ini or falls back to the defaults, fills the database list and writes
// the values into both windows. Fails only when the current folder lies on no drive.
Status startUp(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
               BackupDialogControls& backupDialog);

// Takes the saved choices over into the state: the six records, the dialog's drive from the user folder,
// and the import and export files joined from their folders and names. A file whose folder is empty is no
// choice, whatever its name.
void takeSavedChoices(AppState& state, const SettingsRecords& saved);

// No usable settings: no file choices, no database, and the user folder found under C:\PALM.
void SetDefaults(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm);

} // namespace fambridge
