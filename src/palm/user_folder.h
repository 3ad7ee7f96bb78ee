#pragma once

#include "platform/file_system.h"
#include "state/app_state.h"
#include "state/window_controls.h"

#include <QString>

namespace fambridge {

// The first of Base's first 20 visible subfolders, in listing order, that holds a Backup entry (folder or
// file), as Base\<name>; "C:" when none does.
QString FindUserFolder(platform::FileSystem& fileSystem, const QString& Base);

// Sets UserFolder from the subfolders of Base, or of the root of C: when Base does not exist, then runs
// RefreshDatabaseList.
void LocatePalmFolder(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
                      const QString& Base);

} // namespace fambridge
