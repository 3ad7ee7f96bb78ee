#include "palm/database_list.h"
#include "palm/user_folder.h"
#include "qt_printers.h"
#include "state/window_controls.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

namespace fambridge {
namespace {

// The main window as the database list sees it. DBList behaves like a drop-down list: adding an entry
// does not select it, and setting its text selects only an exact match.
class RecordingForm : public MainFormControls {
public:
    // An earlier refresh may have left the window so: the refresh must set the list and both buttons.
    QStringList dbList{QStringLiteral("Old")};
    QString selected = QStringLiteral("Old");
    bool browseI = true;
    bool browseE = true;

    // The entries, the selection in brackets, and I and E for BrowseI and BrowseE where enabled.
    QString shown() const {
        return dbList.join(QLatin1Char(' ')) + QStringLiteral(" [") + selected + QLatin1Char(']') +
               (browseI ? QStringLiteral(" I") : QString()) + (browseE ? QStringLiteral(" E") : QString());
    }

    void setBrowseIEnabled(bool enabled) override { browseI = enabled; }
    void setBrowseEEnabled(bool enabled) override { browseE = enabled; }
    void clearDBList() override {
        dbList.clear();
        selected.clear();
    }
    void addDBListItem(const QString& name) override { dbList.append(name); }
    void setDBListText(const QString& name) override {
        if (dbList.contains(name))
            selected = name;
    }
    // Start-up's part of the window.
    void setImportEnabled(bool) override {}
    void setExportEnabled(bool) override {}
    void setFromFilename(const QString&) override {}
    void setToFilename(const QString&) override {}
    void setUserFolderLabel(const QString&) override {}
};

// Drive C: with the entries, which are paths inside the folder `in` separated by blanks, created in
// order: a folder where the path ends in '/', otherwise an empty file.
struct Drive {
    explicit Drive(const QString& entries, const QString& in = {}) { add(entries, in); }
    void add(const QString& entries, const QString& in = {}) {
        for (const QString& entry : entries.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (entry.endsWith(QLatin1Char('/')))
                drives.makeFolder(QLatin1Char('C'), in + entry.chopped(1));
            else
                drives.makeFile(QLatin1Char('C'), in + entry);
        }
    }

    testing::TempDrives drives;
    RecordingForm form;
    AppState state;
};

const QString kPalm = QStringLiteral("C:\\PALM");

// PALM/User01<suffix> ... PALM/User<last><suffix>, listed in that order; folders by default.
QString numbered(int last, const char* suffix = "/ ") {
    QString entries;
    for (int i = 1; i <= last; ++i)
        entries += QStringLiteral("PALM/User%1").arg(i, 2, 10, QLatin1Char('0')) + suffix;
    return entries;
}

TEST(UserFolderDiscovery, LocatePalmFolderChoosesTheFirstOfTwentySubfoldersWithABackupOrElseC) {
    const struct {
        const char* what;
        QString drive;
        QString UserFolder;
    } cases[] = {
        {"first listed folder with a Backup wins", "PALM/UserA/ PALM/UserB/BACKUP/ PALM/UserC/Backup/",
         "C:\\PALM\\UserB"},
        {"an ordinary file named Backup qualifies", "PALM/UserA/Backup", "C:\\PALM\\UserA"},
        {"PALM is found in any letter case and kept as given", "palm/Owner/backup/", "C:\\PALM\\Owner"},
        {"the twentieth folder is still a candidate when files and dots come first",
         numbered(20) + numbered(20, ".txt ") + "PALM/User20/Backup/", "C:\\PALM\\User20"},
        {"the twenty-first folder is never a candidate", numbered(21) + "PALM/User21/Backup/", "C:"},
        {"a folder named PAGEFILE.SYS in any letter case is skipped and takes no place",
         "PALM/PageFile.sys/Backup/ " + numbered(20) + "PALM/User20/Backup/", "C:\\PALM\\User20"},
        {"missing PALM scans the root of C:", "Other/ Projects/Backup/", "C:\\Projects"},
        {"PALM that is a file scans the root of C:", "PALM Projects/Backup/", "C:\\Projects"},
        {"PALM without a user folder gives C: and leaves the root unscanned", "PALM/UserA/ Projects/Backup/",
         "C:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Drive d(c.drive);

        LocatePalmFolder(d.state, d.drives.fileSystem(), d.form, kPalm);

        EXPECT_EQ(d.state.UserFolder, c.UserFolder);
    }
}

TEST(UserFolderDiscovery, LocatePalmFolderEndsWithTheDatabaseListOfTheFolderFound) {
    Drive d("PALM/Owner/BACKUP/FamilyP.PDB PALM/Owner/BACKUP/FamilyE.PDB");

    LocatePalmFolder(d.state, d.drives.fileSystem(), d.form, kPalm);

    EXPECT_EQ(d.form.shown(), QStringLiteral("Family [] I"));
}

// A user folder and its BACKUP folder, the latter as Drive takes it.
const QString kUserFolder = QStringLiteral("C:\\PALM\\Owner");
const QString kBackup = QStringLiteral("PALM/Owner/BACKUP/");

TEST(DatabaseList, ListsCompletePairsInListingOrderAndSelectsOnlyTheExactRememberedNameWhichEnablesBrowseE) {
    const struct {
        const char* what;
        const char* backup;
        const char* DatabaseName;
        const char* shown;
    } cases[] = {
        {"only complete pairs, either half in any letter case, named as the P half",
         "familyp.pdb FAMILYe.pdb OtherP.PDB LoneE.PDB Notes.txt", "", "family [] I"},
        {"listing order, remembered database selected",
         "ZetaP.PDB ZetaE.PDB alphaP.PDB alphaE.PDB BetaP.PDB BetaE.PDB", "Beta",
         "alpha Beta Zeta [Beta] I E"},
        {"name differing in letter case is listed but not selected", "FAMILYP.PDB FAMILYE.PDB", "Family",
         "FAMILY [] I"},
        {"folders and hidden files named like a pair are no database",
         "DirP.PDB/ DirE.PDB FileP.PDB FileE.PDB/ .SecretP.PDB .SecretE.PDB", ".Secret", " [] I"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Drive d(c.backup, kBackup);
        d.state.UserFolder = kUserFolder;
        d.state.DatabaseName = c.DatabaseName;

        RefreshDatabaseList(d.state, d.drives.fileSystem(), d.form);

        EXPECT_EQ(d.form.shown(), c.shown);
    }
}

TEST(DatabaseList, BackupFolderIsLookedForInTheUserFolderAndAMissingUserFolderBecomesCAndEmptiesTheList) {
    const QString rootPair = QStringLiteral("BACKUP/FamilyP.PDB BACKUP/FamilyE.PDB");
    const struct {
        const char* what;
        QString drive, UserFolder, userFolderAfter, shown;
    } cases[] = {
        {"missing user folder", rootPair, "C:\\PALM\\Gone", "C:", " []"},
        {"user folder without BACKUP", "PALM/Owner/", kUserFolder, kUserFolder, " []"},
        {"BACKUP that is a file", "PALM/Owner/Backup", kUserFolder, kUserFolder, " [] I"},
        {"fallback C:", rootPair, "C:", "C:", "Family [Family] I E"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Drive d(c.drive);
        d.state.UserFolder = c.UserFolder;
        d.state.DatabaseName = QStringLiteral("Family");

        RefreshDatabaseList(d.state, d.drives.fileSystem(), d.form);

        EXPECT_EQ(d.state.UserFolder, c.userFolderAfter);
        EXPECT_EQ(d.form.shown(), c.shown);
    }
}

TEST(DatabaseList, NextRefreshGivesTheSameListAndSelectionPlusThePairsAddedSince) {
    Drive d("FamilyP.PDB FamilyE.PDB OtherP.PDB OtherE.PDB", kBackup);
    d.state.UserFolder = kUserFolder;
    d.state.DatabaseName = QStringLiteral("Other");
    RefreshDatabaseList(d.state, d.drives.fileSystem(), d.form);
    d.add("NewP.PDB NewE.PDB", kBackup);

    RefreshDatabaseList(d.state, d.drives.fileSystem(), d.form);

    EXPECT_EQ(d.form.shown(), QStringLiteral("Family New Other [Other] I E"));
}

} // namespace
} // namespace fambridge
