#include "startup/start_up.h"

#include "palm/database_list.h"
#include "palm/user_folder.h"
#include "startup/settings_file.h"

namespace fambridge {

void SetDefaults(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm) {
    state.ImportFile.clear();
    state.ExportFile.clear();
    LocatePalmFolder(state, fileSystem, mainForm, QStringLiteral("C:\\PALM"));
    state.DatabaseName.clear();
}

Status StartUp(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
               BackupDialogControls& backupDialog) {
    // The settings file, discovery, the database list and the dialog's folder list look at the same few
    // folders; one reading of each serves the whole start-up.
    const auto snapshot = fileSystem.snapshotScope();
    state.DriveSpec = QStringLiteral("C:");
    const auto current = fileSystem.currentDirectory();
    if (!current)
        return Failure{current.error()};
    state.AppDir = *current;
    state.IniPath = state.AppDir + QStringLiteral("\\Famlore.ini");

    if (const auto saved = ReadSettingsFile(fileSystem, state.IniPath)) {
        state.UserFolder = saved->UserFolder;
        state.ImportDir = saved->ImportDir;
        state.ImportName = saved->ImportName;
        state.ExportDir = saved->ExportDir;
        state.ExportName = saved->ExportName;
        state.DatabaseName = saved->DatabaseName;

        if (!state.UserFolder.isEmpty())
            state.DriveSpec = state.UserFolder.left(2);
        if (!state.ImportDir.isEmpty()) {
            state.ImportFile = state.ImportDir + QLatin1Char('\\') + state.ImportName;
            mainForm.setImportEnabled(true);
        } else {
            state.ImportFile.clear();
        }
        if (!state.ExportDir.isEmpty()) {
            state.ExportFile = state.ExportDir + QLatin1Char('\\') + state.ExportName;
            mainForm.setExportEnabled(true);
        } else {
            state.ExportFile.clear();
        }
        RefreshDatabaseList(state, fileSystem, mainForm);
    } else {
        SetDefaults(state, fileSystem, mainForm);
    }

    mainForm.setFromFilename(state.ImportFile);
    mainForm.setToFilename(state.ExportFile);
    backupDialog.setDrive(state.DriveSpec);
    backupDialog.setPath(state.UserFolder);
    mainForm.setBackupFolder(state.UserFolder);
    return {};
}

} // namespace fambridge
