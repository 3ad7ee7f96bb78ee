#pragma once

#include "platform/file_system.h"
#include "state/app_state.h"
#include "state/window_controls.h"

namespace fambridge {

// The folder of a user folder that holds the backups of the handheld's databases.
inline constexpr QLatin1String kBackupFolder("BACKUP");

// Refills DBList with the stems of the complete <name>P.PDB / <name>E.PDB pairs in UserFolder's BACKUP
// folder, selects DatabaseName when it is listed exactly so, and enables BrowseI(1) and BrowseE(0) to
// match. A UserFolder that does not exist becomes "C:" and empties DBList.
void RefreshDatabaseList(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm);

// The two backup files that make a database in a user folder: <folder>\BACKUP\<name>P.PDB and ...E.PDB.
QStringList databaseFiles(const QString& userFolder, const QString& name);

} // namespace fambridge
