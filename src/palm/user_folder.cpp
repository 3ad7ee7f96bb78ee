#include "palm/user_folder.h"

#include "palm/database_list.h"

#include <QStringList>

namespace fambridge {

namespace {
constexpr qsizetype kMaxCandidates = 20;
const QString kSwapFile = QStringLiteral("PAGEFILE.SYS");
} // namespace

QString FindUserFolder(platform::FileSystem& fileSystem, const QString& Base) {
    using platform::ListMask;
    const auto snapshot = fileSystem.snapshotScope();
    const QString prefix = Base + QLatin1Char('\\');

    QStringList candidates;
    for (const QString& name : fileSystem.list(prefix, ListMask::Directory)) {
        if (candidates.size() >= kMaxCandidates)
            break;
        // Tested by name before any attribute query: on Windows the swap file's attributes cannot always be
        // queried.
        if (name == QLatin1String(".") || name == QLatin1String("..") || name.toUpper() == kSwapFile)
            continue;
        const auto attributes = fileSystem.attributes(prefix + name);
        if (attributes && attributes->testFlag(platform::Attribute::Directory))
            candidates.append(name);
    }

    for (const QString& candidate : std::as_const(candidates)) {
        if (fileSystem.exists(prefix + candidate + QStringLiteral("\\Backup"), ListMask::Directory))
            return prefix + candidate;
    }
    return kSystemDrive;
}

void LocatePalmFolder(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
                      const QString& Base) {
    // Any name at all, "." included, shows that Base is a folder.
    const bool basePresent = fileSystem.exists(Base + QLatin1Char('\\'), platform::ListMask::Directory);
    state.UserFolder = FindUserFolder(fileSystem, basePresent ? Base : kSystemDrive);
    RefreshDatabaseList(state, fileSystem, mainForm);
}

} // namespace fambridge
