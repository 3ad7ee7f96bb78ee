#include "palm/database_list.h"
#include "qt_printers.h"
#include "recording_form.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

#include <vector>

namespace fambridge {
namespace {

const QString kUserFolder = QStringLiteral("C:\\PALM\\Owner");

class DatabaseListTest : public ::testing::Test {
protected:
    DatabaseListTest() {
        state.UserFolder = kUserFolder;
        // As an earlier refresh or a click may have left them, so that every call must set them itself.
        form.browseIEnabled = true;
        form.browseEEnabled = true;
        form.dbList = QStringList{QStringLiteral("Old")};
        form.dbListIndex = 0;
    }

    // Files, or folders when the name ends in '/', in a folder of drive C:.
    void putIn(const QString& folder, const std::vector<QString>& names) {
        drives.makeFolder(QLatin1Char('C'), folder);
        for (const QString& name : names) {
            const QString path = folder + QLatin1Char('/') + name;
            if (name.endsWith(QLatin1Char('/')))
                drives.makeFolder(QLatin1Char('C'), path.chopped(1));
            else
                drives.makeFile(QLatin1Char('C'), path);
        }
    }
    void putInBackup(const std::vector<QString>& names) { putIn(QStringLiteral("PALM/Owner/BACKUP"), names); }

    void refresh() { RefreshDatabaseList(state, drives.fileSystem(), form); }

    testing::TempDrives drives;
    testing::RecordingForm form;
    AppState state;
};

struct ListCase {
    const char* name;
    std::vector<QString> backup;
    QString DatabaseName;
    QStringList entries;
    QString selected; // empty: nothing selected
    bool browseE;
};

void PrintTo(const ListCase& c, std::ostream* out) {
    *out << c.name;
}

class DatabaseList : public DatabaseListTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(DatabaseList, ShowsTheseEntriesAndSelection) {
    putInBackup(GetParam().backup);
    state.DatabaseName = GetParam().DatabaseName;

    refresh();

    EXPECT_EQ(form.dbList, GetParam().entries);
    EXPECT_EQ(form.dbListText(), GetParam().selected);
    EXPECT_EQ(form.dbListIndex >= 0, !GetParam().selected.isEmpty());
    EXPECT_TRUE(form.browseIEnabled);
    EXPECT_EQ(form.browseEEnabled, GetParam().browseE);
    EXPECT_EQ(state.DatabaseName, GetParam().DatabaseName);
    EXPECT_EQ(state.UserFolder, kUserFolder);
}

const ListCase kListCases[] = {
    {"OnlyCompletePairsAreListed",
     {"FamilyP.PDB", "FamilyE.PDB", "OtherP.PDB", "LoneE.PDB", "Notes.txt"},
     "",
     {"Family"},
     "",
     false},
    {"LetterCaseOfThePairIsIgnoredButKeptInTheEntry",
     {"familyp.pdb", "familye.pdb"},
     "",
     {"family"},
     "",
     false},
    {"PartnerMayDifferInLetterCase", {"FamilyP.PDB", "FAMILYe.pdb"}, "", {"Family"}, "", false},
    {"EntriesFollowTheListingOrder",
     {"ZetaP.PDB", "ZetaE.PDB", "alphaP.PDB", "alphaE.PDB", "BetaP.PDB", "BetaE.PDB"},
     "",
     {"alpha", "Beta", "Zeta"},
     "",
     false},
    {"RememberedDatabaseIsSelectedAndEnablesBrowseE",
     {"FamilyP.PDB", "FamilyE.PDB", "OtherP.PDB", "OtherE.PDB"},
     "Other",
     {"Family", "Other"},
     "Other",
     true},
    {"NameDifferingInLetterCaseIsListedButNotSelected",
     {"FAMILYP.PDB", "FAMILYE.PDB"},
     "Family",
     {"FAMILY"},
     "",
     false},
    {"RememberedDatabaseNoLongerThereSelectsNothing",
     {"FamilyP.PDB", "FamilyE.PDB"},
     "Gone",
     {"Family"},
     "",
     false},
    {"FoldersNamedLikeAPairAreNoDatabase",
     {"DirP.PDB/", "DirE.PDB", "FileP.PDB", "FileE.PDB/"},
     "",
     {},
     "",
     false},
    {"HiddenFilesAreNoDatabase", {".SecretP.PDB", ".SecretE.PDB"}, ".Secret", {}, "", false},
    {"EmptyBackupFolderGivesAnEmptyList", {}, "Family", {}, "", false},
};

INSTANTIATE_TEST_SUITE_P(Cases, DatabaseList, ::testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DatabaseListTest, MissingUserFolderBecomesCAndKeepsTheList) {
    state.UserFolder = QStringLiteral("C:\\PALM\\Gone");
    state.DatabaseName = QStringLiteral("Old");
    putIn(QStringLiteral("BACKUP"), {"FamilyP.PDB", "FamilyE.PDB"});

    refresh();

    EXPECT_EQ(state.UserFolder, QStringLiteral("C:"));
    EXPECT_EQ(form.dbList, QStringList{QStringLiteral("Old")});
    EXPECT_EQ(form.dbListIndex, 0);
    EXPECT_EQ(form.dbListClears, 0);
    EXPECT_FALSE(form.browseIEnabled);
    EXPECT_FALSE(form.browseEEnabled);
}

TEST_F(DatabaseListTest, UserFolderWithoutBackupGivesAnEmptyListAndBothDisabled) {
    drives.makeFolder(QLatin1Char('C'), QStringLiteral("PALM/Owner"));
    state.DatabaseName = QStringLiteral("Old");

    refresh();

    EXPECT_EQ(state.UserFolder, kUserFolder);
    EXPECT_TRUE(form.dbList.isEmpty());
    EXPECT_FALSE(form.browseIEnabled);
    EXPECT_FALSE(form.browseEEnabled);
}

TEST_F(DatabaseListTest, BackupThatIsAFileEnablesBrowseIButListsNothing) {
    drives.makeFile(QLatin1Char('C'), QStringLiteral("PALM/Owner/Backup"));

    refresh();

    EXPECT_TRUE(form.dbList.isEmpty());
    EXPECT_TRUE(form.browseIEnabled);
    EXPECT_FALSE(form.browseEEnabled);
}

TEST_F(DatabaseListTest, FallbackCListsTheBackupFolderAtTheRootOfC) {
    state.UserFolder = QStringLiteral("C:");
    state.DatabaseName = QStringLiteral("Family");
    putIn(QStringLiteral("BACKUP"), {"FamilyP.PDB", "FamilyE.PDB"});

    refresh();

    EXPECT_EQ(state.UserFolder, QStringLiteral("C:"));
    EXPECT_EQ(form.dbList, QStringList{QStringLiteral("Family")});
    EXPECT_EQ(form.dbListText(), QStringLiteral("Family"));
    EXPECT_TRUE(form.browseIEnabled);
    EXPECT_TRUE(form.browseEEnabled);
}

TEST_F(DatabaseListTest, SecondCallInARowGivesTheSameResult) {
    putInBackup({"FamilyP.PDB", "FamilyE.PDB", "OtherP.PDB", "OtherE.PDB"});
    state.DatabaseName = QStringLiteral("Other");

    refresh();
    const testing::RecordingForm first = form;
    refresh();

    EXPECT_EQ(form.dbList, first.dbList);
    EXPECT_EQ(form.dbListIndex, first.dbListIndex);
    EXPECT_EQ(form.browseIEnabled, first.browseIEnabled);
    EXPECT_EQ(form.browseEEnabled, first.browseEEnabled);
    EXPECT_EQ(state.UserFolder, kUserFolder);
}

TEST_F(DatabaseListTest, NextRefreshSeesFilesAddedSinceTheLastOne) {
    putInBackup({"FamilyP.PDB", "FamilyE.PDB"});
    refresh();
    putInBackup({"OtherP.PDB", "OtherE.PDB"});

    refresh();

    EXPECT_EQ(form.dbList, (QStringList{QStringLiteral("Family"), QStringLiteral("Other")}));
}

} // namespace
} // namespace fambridge
