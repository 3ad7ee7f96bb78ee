#include "startup/start_up.h"

#include "palm/database_list.h"
#include "palm/user_folder.h"
#include "platform/dos_path.h"

namespace fambridge {

void SetDefaults(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm) {
    state.ImportFile.clear();
    state.ExportFile.clear();
    LocatePalmFolder(state, fileSystem, mainForm, kPalmFolder);
    state.DatabaseName.clear();
}

void takeSavedChoices(AppState& state, const SettingsRecords& saved) {
    state.UserFolder = saved.UserFolder;
    state.ImportDir = saved.ImportDir;
    state.ImportName = saved.ImportName;
    state.ExportDir = saved.ExportDir;
    state.ExportName = saved.ExportName;
    state.DatabaseName = saved.DatabaseName;
    if (!state.UserFolder.isEmpty())
        state.DriveSpec = state.UserFolder.left(2);
    // Joined as the design joins them, since the files go into the converters' command lines: a folder
    // saved as "C:\" gives "C:\\tree.ged", and SplitPath saves it back as it was.
    state.ImportFile = state.ImportDir.isEmpty()
                           ? QString()
                           : platform::joinedAsTheyStand(state.ImportDir, state.ImportName);
    state.ExportFile = state.ExportDir.isEmpty()
                           ? QString()
                           : platform::joinedAsTheyStand(state.ExportDir, state.ExportName);
}

Status startUp(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
               BackupDialogControls& backupDialog) {
    // The settings file, discovery, the database list and the dialog's folder list look at the same few
    // folders; one reading of each serves the whole start-up.
    const auto snapshot = fileSystem.snapshotScope();
    state.DriveSpec = kSystemDrive;
    const auto current = fileSystem.currentDirectory();
    if (!current)
        return current.failure();
    state.AppDir = *current;
    state.IniPath = platform::childPath(state.AppDir, kSettingsFileName);

    if (const auto saved = readSettingsFile(fileSystem, state.IniPath)) {
        takeSavedChoices(state, *saved);
        // A saved file's command is enabled whether or not the file is still there.
        if (!state.ImportFile.isEmpty())
            mainForm.setImportEnabled(true);
        if (!state.ExportFile.isEmpty())
            mainForm.setExportEnabled(true);
        RefreshDatabaseList(state, fileSystem, mainForm);
    } else {
        SetDefaults(state, fileSystem, mainForm);
    }

    mainForm.setFromFilename(state.ImportFile);
    mainForm.setToFilename(state.ExportFile);
    backupDialog.setDrive(state.DriveSpec);
    backupDialog.setPath(state.UserFolder);
    mainForm.setUserFolderLabel(state.UserFolder);
    return {};
}

} // namespace fambridge
