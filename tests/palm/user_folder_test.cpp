#include "palm/user_folder.h"
#include "palm_fixture.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace fambridge {
namespace {

using testing::words;

// PALM/User01<suffix> ... PALM/User<last><suffix>, listed in that order; folders by default.
QStringList numbered(int last, const char* suffix = "/") {
    QStringList entries;
    for (int i = 1; i <= last; ++i)
        entries << QStringLiteral("PALM/User%1").arg(i, 2, 10, QLatin1Char('0')) + suffix;
    return entries;
}

const QString kPalm = QStringLiteral("C:\\PALM");

TEST(UserFolderDiscovery, LocatePalmFolderChoosesTheFirstOfTwentySubfoldersWithABackupOrElseC) {
    const struct {
        const char* what;
        QStringList drive;
        QString UserFolder;
    } cases[] = {
        {"first listed folder with a Backup wins", words("PALM/UserA/ PALM/UserB/BACKUP/ PALM/UserC/Backup/"),
         "C:\\PALM\\UserB"},
        {"an ordinary file named Backup qualifies", words("PALM/UserA/Backup"), "C:\\PALM\\UserA"},
        {"PALM is found in any letter case and kept as given", words("palm/Owner/backup/"),
         "C:\\PALM\\Owner"},
        {"the twentieth folder is still a candidate when files and dots come first",
         numbered(20) + numbered(20, ".txt") + words("PALM/User20/Backup/"), "C:\\PALM\\User20"},
        {"the twenty-first folder is never a candidate", numbered(21) + words("PALM/User21/Backup/"), "C:"},
        {"a folder named PAGEFILE.SYS in any letter case is skipped and takes no place",
         words("PALM/PageFile.sys/Backup/") + numbered(20) + words("PALM/User20/Backup/"),
         "C:\\PALM\\User20"},
        {"a hidden folder is never chosen", words("PALM/.Owner/Backup/ PALM/UserA/"), "C:"},
        {"missing PALM scans the root of C:", words("Other/ Projects/Backup/"), "C:\\Projects"},
        {"PALM that is a file scans the root of C:", words("PALM Projects/Backup/"), "C:\\Projects"},
        {"PALM without a user folder gives C: and leaves the root unscanned",
         words("PALM/UserA/ Projects/Backup/"), "C:"},
        {"an empty PALM counts as present", words("PALM/ Projects/Backup/"), "C:"},
        {"an empty drive gives C:", {}, "C:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDrives drives;
        testing::makeEntries(drives, c.drive);
        testing::RecordingForm form;
        AppState state;

        LocatePalmFolder(state, drives.fileSystem(), form, kPalm);

        EXPECT_EQ(state.UserFolder, c.UserFolder);
    }
}

TEST(UserFolderDiscovery, FindUserFolderOfAMissingBaseGivesCWithoutLookingElsewhere) {
    testing::TempDrives drives;
    testing::makeEntries(drives, words("Projects/Backup/"));
    EXPECT_EQ(FindUserFolder(drives.fileSystem(), kPalm), QStringLiteral("C:"));
}

TEST(UserFolderDiscovery, LocatePalmFolderEndsWithTheDatabaseListOfTheFolderFound) {
    testing::TempDrives drives;
    testing::makeEntries(drives, words("PALM/Owner/BACKUP/FamilyP.PDB PALM/Owner/BACKUP/FamilyE.PDB"));
    testing::RecordingForm form;
    form.dbList = QStringList{QStringLiteral("Stale")};
    AppState state;

    LocatePalmFolder(state, drives.fileSystem(), form, kPalm);

    EXPECT_EQ(form.dbList, QStringList{QStringLiteral("Family")});
    EXPECT_TRUE(form.browseIEnabled);
    EXPECT_FALSE(form.browseEEnabled);
}

} // namespace
} // namespace fambridge
