#include "palm/user_folder.h"
#include "qt_printers.h"
#include "recording_form.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

#include <vector>

namespace fambridge {
namespace {

// One entry of drive C:, as a host-relative path; a file unless it ends in '/'.
using Layout = std::vector<QString>;

Layout operator+(Layout a, const Layout& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// PALM/User01/ ... PALM/User<last>/, listed in that order.
Layout numberedUserFolders(int last) {
    Layout layout;
    for (int i = 1; i <= last; ++i)
        layout.push_back(QStringLiteral("PALM/User%1/").arg(i, 2, 10, QLatin1Char('0')));
    return layout;
}

// A file listed right after each numbered folder, so that files sit between the folders.
Layout filesBetweenUserFolders(int last) {
    Layout layout;
    for (int i = 1; i <= last; ++i)
        layout.push_back(QStringLiteral("PALM/User%1.txt").arg(i, 2, 10, QLatin1Char('0')));
    return layout;
}

struct DiscoveryCase {
    const char* name;
    Layout layout;
    QString UserFolder;
};

void PrintTo(const DiscoveryCase& c, std::ostream* out) {
    *out << c.name;
}

class UserFolderDiscovery : public ::testing::TestWithParam<DiscoveryCase> {
protected:
    void build(const Layout& layout) {
        for (const QString& entry : layout) {
            if (entry.endsWith(QLatin1Char('/')))
                drives.makeFolder(QLatin1Char('C'), entry.chopped(1));
            else
                drives.makeFile(QLatin1Char('C'), entry);
        }
    }

    testing::TempDrives drives;
    testing::RecordingForm form;
    AppState state;
};

TEST_P(UserFolderDiscovery, LocatePalmFolderChoosesThisUserFolder) {
    build(GetParam().layout);
    LocatePalmFolder(state, drives.fileSystem(), form, QStringLiteral("C:\\PALM"));
    EXPECT_EQ(state.UserFolder, GetParam().UserFolder);
}

const DiscoveryCase kDiscoveryCases[] = {
    {"FirstListedFolderWithBackupWins",
     {"PALM/UserA/", "PALM/UserB/BACKUP/", "PALM/UserC/Backup/"},
     "C:\\PALM\\UserB"},
    {"OrdinaryFileNamedBackupQualifies", {"PALM/UserA/Backup"}, "C:\\PALM\\UserA"},
    {"BaseIsFoundInAnyLetterCaseAndKeptAsGiven", {"palm/Owner/backup/"}, "C:\\PALM\\Owner"},
    {"TwentiethFolderIsStillACandidateWhenFilesAndDotsComeFirst",
     numberedUserFolders(20) + filesBetweenUserFolders(20) + Layout{"PALM/User20/Backup/"},
     "C:\\PALM\\User20"},
    {"TwentyFirstFolderIsNeverACandidate", numberedUserFolders(21) + Layout{"PALM/User21/Backup/"}, "C:"},
    {"LowerCasePageFileSysFolderIsSkipped", {"PALM/pagefile.sys/Backup/"}, "C:"},
    {"UpperCasePageFileSysFolderIsSkipped", {"PALM/PAGEFILE.SYS/Backup/"}, "C:"},
    {"MixedCasePageFileSysFolderIsSkippedAndTakesNoPlace",
     Layout{"PALM/PageFile.sys/Backup/"} + numberedUserFolders(20) + Layout{"PALM/User20/Backup/"},
     "C:\\PALM\\User20"},
    {"HiddenFolderIsNeverChosen", {"PALM/.Owner/Backup/", "PALM/UserA/"}, "C:"},
    {"MissingPalmScansTheRootOfC", {"Other/", "Projects/Backup/"}, "C:\\Projects"},
    {"PalmThatIsAFileScansTheRootOfC", {"PALM", "Projects/Backup/"}, "C:\\Projects"},
    {"PalmWithoutUserFolderGivesCAndLeavesTheRootUnscanned", {"PALM/UserA/", "Projects/Backup/"}, "C:"},
    {"EmptyPalmCountsAsPresent", {"PALM/", "Projects/Backup/"}, "C:"},
    {"EmptyDriveGivesC", {}, "C:"},
};

INSTANTIATE_TEST_SUITE_P(Cases, UserFolderDiscovery, ::testing::ValuesIn(kDiscoveryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UserFolderDiscovery, FindUserFolderOfAMissingBaseGivesCWithoutLookingElsewhere) {
    build({"Projects/Backup/"});
    EXPECT_EQ(FindUserFolder(drives.fileSystem(), QStringLiteral("C:\\PALM")), QStringLiteral("C:"));
}

TEST_F(UserFolderDiscovery, LocatePalmFolderEndsWithTheDatabaseListOfTheFolderFound) {
    build({"PALM/Owner/BACKUP/FamilyP.PDB", "PALM/Owner/BACKUP/FamilyE.PDB"});
    form.dbList = QStringList{QStringLiteral("Stale")};

    LocatePalmFolder(state, drives.fileSystem(), form, QStringLiteral("C:\\PALM"));

    EXPECT_EQ(form.dbList, QStringList{QStringLiteral("Family")});
    EXPECT_TRUE(form.browseIEnabled);
    EXPECT_FALSE(form.browseEEnabled);
}

} // namespace
} // namespace fambridge
