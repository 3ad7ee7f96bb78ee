#include "palm/database_list.h"
#include "palm_fixture.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace fambridge {
namespace {

using testing::words;

const QString kUserFolder = QStringLiteral("C:\\PALM\\Owner");

// The BACKUP folder of kUserFolder holding the names, which are separated by blanks; a name ending in '/'
// is a folder.
QStringList inBackup(const char* names) {
    QStringList entries{QStringLiteral("PALM/Owner/BACKUP/")};
    for (const QString& name : words(names))
        entries.push_back(QStringLiteral("PALM/Owner/BACKUP/") + name);
    return entries;
}

// One refresh on a drive C: holding the given entries. The window starts as an earlier refresh may have
// left it, so that the refresh must set the list and both buttons itself.
struct Refresh {
    Refresh(const QStringList& drive, const QString& userFolder, const QString& databaseName) {
        testing::makeEntries(drives, drive);
        form.browseIEnabled = true;
        form.browseEEnabled = true;
        form.dbList = QStringList{QStringLiteral("Old")};
        form.dbListIndex = 0;
        state.UserFolder = userFolder;
        state.DatabaseName = databaseName;
        run();
    }
    void run() { RefreshDatabaseList(state, drives.fileSystem(), form); }

    testing::TempDrives drives;
    testing::RecordingForm form;
    AppState state;
};

TEST(DatabaseList, ListsCompletePairsInListingOrderAndSelectsOnlyTheExactRememberedNameWhichEnablesBrowseE) {
    const struct {
        const char* what;
        const char* backup; // as inBackup takes them
        const char* DatabaseName;
        const char* entries;  // separated by blanks
        const char* selected; // empty: nothing selected, and BrowseE(0) stays disabled
    } cases[] = {
        {"only complete pairs are listed", "FamilyP.PDB FamilyE.PDB OtherP.PDB LoneE.PDB Notes.txt", "",
         "Family", ""},
        {"letter case of either half is ignored, the entry keeps the case of the P half",
         "familyp.pdb FAMILYe.pdb", "", "family", ""},
        {"entries follow the listing order", "ZetaP.PDB ZetaE.PDB alphaP.PDB alphaE.PDB BetaP.PDB BetaE.PDB",
         "", "alpha Beta Zeta", ""},
        {"remembered database is selected", "FamilyP.PDB FamilyE.PDB OtherP.PDB OtherE.PDB", "Other",
         "Family Other", "Other"},
        {"name differing in letter case is listed but not selected", "FAMILYP.PDB FAMILYE.PDB", "Family",
         "FAMILY", ""},
        {"folders named like a pair are no database", "DirP.PDB/ DirE.PDB FileP.PDB FileE.PDB/", "", "", ""},
        {"hidden files are no database", ".SecretP.PDB .SecretE.PDB", ".Secret", "", ""},
        {"empty BACKUP folder gives an empty list", "", "Family", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Refresh r(inBackup(c.backup), kUserFolder, c.DatabaseName);

        EXPECT_EQ(r.form.dbList, words(c.entries));
        EXPECT_EQ(r.form.dbListText(), c.selected);
        EXPECT_TRUE(r.form.browseIEnabled);
        EXPECT_EQ(r.form.browseEEnabled, *c.selected != '\0');
        EXPECT_EQ(r.state.DatabaseName, c.DatabaseName);
        EXPECT_EQ(r.state.UserFolder, kUserFolder);
    }
}

TEST(DatabaseList, BackupFolderIsLookedForInTheUserFolderAndAMissingUserFolderBecomesCAndKeepsTheList) {
    const QStringList rootPair = words("BACKUP/FamilyP.PDB BACKUP/FamilyE.PDB");
    const struct {
        const char* what;
        QStringList drive;
        QString UserFolder, userFolderAfter;
        QStringList entries;
        QString selected;
        bool browseI, browseE;
    } cases[] = {
        {"missing user folder", rootPair, "C:\\PALM\\Gone", "C:", {"Old"}, "Old", false, false},
        {"user folder without BACKUP", words("PALM/Owner/"), kUserFolder, kUserFolder, {}, "", false, false},
        {"BACKUP that is a file", words("PALM/Owner/Backup"), kUserFolder, kUserFolder, {}, "", true, false},
        {"fallback C:", rootPair, "C:", "C:", {"Family"}, "Family", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Refresh r(c.drive, c.UserFolder, QStringLiteral("Family"));

        EXPECT_EQ(r.state.UserFolder, c.userFolderAfter);
        EXPECT_EQ(r.form.dbList, c.entries);
        EXPECT_EQ(r.form.dbListText(), c.selected);
        EXPECT_EQ(r.form.browseIEnabled, c.browseI);
        EXPECT_EQ(r.form.browseEEnabled, c.browseE);
    }
}

TEST(DatabaseList, NextRefreshGivesTheSameListAndSelectionPlusThePairsAddedSince) {
    Refresh r(inBackup("FamilyP.PDB FamilyE.PDB OtherP.PDB OtherE.PDB"), kUserFolder,
              QStringLiteral("Other"));
    testing::makeEntries(r.drives, inBackup("NewP.PDB NewE.PDB"));

    r.run();

    EXPECT_EQ(r.form.dbList, (QStringList{"Family", "New", "Other"}));
    EXPECT_EQ(r.form.dbListText(), QStringLiteral("Other"));
    EXPECT_TRUE(r.form.browseIEnabled);
    EXPECT_TRUE(r.form.browseEEnabled);
    EXPECT_EQ(r.state.UserFolder, kUserFolder);
}

} // namespace
} // namespace fambridge
