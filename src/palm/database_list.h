#pragma once

#include "platform/file_system.h"
#include "state/app_state.h"
#include "state/window_controls.h"

namespace fambridge {

// Refills DBList with the stems of the complete <name>P.PDB / <name>E.PDB pairs in UserFolder's BACKUP
// folder, selects DatabaseName when it is listed exactly so, and enables BrowseI(1) and BrowseE(0) to
// match. A UserFolder that does not exist becomes "C:" and leaves DBList as it was.
void RefreshDatabaseList(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm);

} // namespace fambridge
