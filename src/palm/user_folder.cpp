#include "palm/user_folder.h"

#include "palm/database_list.h"
#include "platform/dos_path.h"

#include <QStringList>

namespace fambridge {

namespace {
constexpr qsizetype kMaxCandidates = 20;
const QString kSwapFile = QStringLiteral("PAGEFILE.SYS");
const QString kEveryName = QStringLiteral("*");
} // namespace

QString FindUserFolder(platform::FileSystem& fileSystem, const QString& Base) {
    using platform::ListMask;
    const auto snapshot = fileSystem.snapshotScope();
    QStringList candidates;
    for (const QString& name : fileSystem.list(platform::childPath(Base, kEveryName), ListMask::Directory)) {
        if (candidates.size() >= kMaxCandidates)
            break;
        // Tested by name before any attribute query: on Windows the swap file's attributes cannot always be
        // queried.
        if (name == QLatin1String(".") || name == QLatin1String("..") || name.toUpper() == kSwapFile)
            continue;
        const auto attributes = fileSystem.attributes(platform::childPath(Base, name));
        if (attributes && attributes->testFlag(platform::Attribute::Directory))
            candidates.append(name);
    }

    for (const QString& candidate : std::as_const(candidates)) {
        const QString folder = platform::childPath(Base, candidate);
        if (fileSystem.exists(platform::childPath(folder, kBackupFolder), ListMask::Directory))
            return folder;
    }
    return kSystemDrive;
}

void LocatePalmFolder(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
                      const QString& Base) {
    // Any name at all, "." included, shows that Base is a folder.
    const bool basePresent =
        fileSystem.exists(platform::childPath(Base, kEveryName), platform::ListMask::Directory);
    state.UserFolder = FindUserFolder(fileSystem, basePresent ? Base : kSystemDrive);
    RefreshDatabaseList(state, fileSystem, mainForm);
}

} // namespace fambridge
