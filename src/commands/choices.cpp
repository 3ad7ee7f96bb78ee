#include "commands/choices.h"

#include "palm/database_list.h"
#include "platform/dos_path.h"

namespace fambridge {

void chooseImportFile(AppState& state, MainFormControls& mainForm, const QString& file) {
    state.ImportFile = file;
    mainForm.setFromFilename(state.ImportFile);
    mainForm.setImportEnabled(true);
}

void chooseExportFile(AppState& state, MainFormControls& mainForm, const QString& file) {
    state.ExportFile = file;
    mainForm.setToFilename(state.ExportFile);
    mainForm.setExportEnabled(true);
}

void chooseDatabase(AppState& state, MainFormControls& mainForm, const QString& name) {
    state.DatabaseName = name;
    if (!state.DatabaseName.isEmpty())
        mainForm.setBrowseEEnabled(true);
}

QString chooseDrive(AppState& state, const QString& drive) {
    state.DriveSpec = drive.toUpper();
    return state.DriveSpec;
}

void chooseUserFolder(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
                      const QString& folder) {
    // A user folder is kept without a closing backslash, as the converters' command lines add their own
    // after it (joinedAsTheyStand).
    state.UserFolder = folder;
    if (state.UserFolder.endsWith(platform::kDosSeparator))
        state.UserFolder.chop(1);
    mainForm.setUserFolderLabel(state.UserFolder);
    RefreshDatabaseList(state, fileSystem, mainForm);
}

} // namespace fambridge
