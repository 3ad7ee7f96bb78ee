#include "palm/database_list.h"

#include "platform/dos_path.h"

#include <QStringList>

namespace fambridge {

namespace {
const QString kImportHalf = QStringLiteral("P.PDB");
const QString kExportHalf = QStringLiteral("E.PDB");
} // namespace

QStringList databaseFiles(const QString& userFolder, const QString& name) {
    const QString stem = platform::childPath(platform::childPath(userFolder, kBackupFolder), name);
    return {stem + kImportHalf, stem + kExportHalf};
}

void RefreshDatabaseList(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm) {
    using platform::ListMask;
    // A BACKUP folder may hold a great many files; one reading serves every look-up of this refresh.
    const auto snapshot = fileSystem.snapshotScope();

    mainForm.setBrowseIEnabled(false);
    mainForm.setBrowseEEnabled(false);

    // The list of a folder that is gone would offer databases that are not there.
    if (!fileSystem.exists(state.UserFolder, ListMask::Directory)) {
        state.UserFolder = kSystemDrive;
        mainForm.clearDBList();
        return;
    }
    const QString backup = platform::childPath(state.UserFolder, kBackupFolder);
    if (fileSystem.exists(backup, ListMask::Directory))
        mainForm.setBrowseIEnabled(true);

    const std::vector<QString> found =
        fileSystem.list(platform::childPath(backup, QLatin1Char('*') + kImportHalf), ListMask::Normal);

    mainForm.clearDBList();
    bool rememberedFound = false;
    for (const QString& name : found) {
        // Cut by count, so the stem keeps the letter case the listing gave it.
        const QString stem = name.left(name.size() - kImportHalf.size());
        if (!fileSystem.exists(databaseFiles(state.UserFolder, stem).back(), ListMask::Normal))
            continue;
        mainForm.addDBListItem(stem);
        if (stem == state.DatabaseName) {
            mainForm.setDBListText(stem);
            rememberedFound = true;
        }
    }
    if (rememberedFound)
        mainForm.setBrowseEEnabled(true);
}

} // namespace fambridge
