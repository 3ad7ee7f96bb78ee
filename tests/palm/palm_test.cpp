#include "no_windows.h"
#include "palm/database_list.h"
#include "palm/user_folder.h"
#include "qt_printers.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

namespace fambridge {
namespace {

// The main window as the database list sees it. DBList behaves like a drop-down list: adding an entry does
// not select it, and setting its text selects only an exact match. An earlier refresh may have left the
// window so: the refresh must set the list and both buttons.
class RecordingForm : public testing::NoWindows {
public:
    QStringList dbList{"Old"};
    QString selected = "Old";
    bool browseI = true;
    bool browseE = true;

    void setBrowseIEnabled(bool enabled) override { browseI = enabled; }
    void setBrowseEEnabled(bool enabled) override { browseE = enabled; }
    void clearDBList() override { dbList.clear(), selected.clear(); }
    void addDBListItem(const QString& name) override { dbList.append(name); }
    void setDBListText(const QString& name) override { selected = dbList.contains(name) ? name : selected; }
};

// Makes on drive C: the entries given, separated by blanks, in order: a folder where the path ends in '/',
// else an empty file. A path is inside the folder `in` unless it starts with '/'.
void make(testing::TempDrives& drives, const QString& entries, const QString& in = {}) {
    for (const QString& entry : entries.split(' ', Qt::SkipEmptyParts)) {
        const QString path = entry.startsWith('/') ? entry.mid(1) : in + entry;
        path.endsWith('/') ? void(drives.makeFolder('C', path)) : void(drives.makeFile('C', path));
    }
}

// The user folder, the entries of the list, the selection in brackets, and I and E for BrowseI and BrowseE
// where enabled.
QString shown(const AppState& state, const RecordingForm& form) {
    return state.UserFolder + ": " + form.dbList.join(' ') + " [" + form.selected + ']' +
           (form.browseI ? " I" : "") + (form.browseE ? " E" : "");
}

// PALM/User01<suffix> ... PALM/User<last><suffix>, listed in that order; folders by default.
QString numbered(int last, const char* suffix = "/ ") {
    QString entries;
    for (int i = 1; i <= last; ++i)
        entries += QString("PALM/User%1").arg(i, 2, 10, QLatin1Char('0')) + suffix;
    return entries;
}

// The first of at most twenty folders in C:\PALM, files and dots not counted, with a Backup of any kind in
// any letter case; a folder named as the swap file takes no place. Without PALM the root of C: is looked at,
// and else the user folder is C:. The database list of the folder found follows.
TEST(UserFolderDiscovery, LocatePalmFolderChoosesTheFirstOfTwentySubfoldersWithABackupOrElseC) {
    for (const auto& [entries, expected] : {
             std::pair{QString("PALM/UserA/ PALM/UserB/BACKUP/ PALM/UserC/Backup/"),
                       "C:\\PALM\\UserB:  [] I"},
             {"PALM/UserA/Backup", "C:\\PALM\\UserA:  [] I"},
             {"palm/Owner/backup/FamilyP.PDB palm/Owner/backup/FamilyE.PDB", "C:\\PALM\\Owner: Family [] I"},
             {numbered(20) + numbered(20, ".txt ") + "PALM/User20/Backup/", "C:\\PALM\\User20:  [] I"},
             {numbered(21) + "PALM/User21/Backup/", "C::  []"},
             {"PALM/PageFile.sys/Backup/ " + numbered(20) + "PALM/User20/Backup/", "C:\\PALM\\User20:  [] I"},
             {"Other/ Projects/Backup/", "C:\\Projects:  [] I"},
             {"PALM Projects/Backup/", "C:\\Projects:  [] I"},
             {"PALM/UserA/ Projects/Backup/", "C::  []"},
         }) {
        testing::TempDrives drives;
        make(drives, entries);
        RecordingForm form;
        AppState state;
        LocatePalmFolder(state, drives.fileSystem(), form, "C:\\PALM");
        EXPECT_EQ(shown(state, form), expected) << entries.toStdString();
    }
}

// Complete pairs only, either half in any letter case, named as the P half, in listing order; the remembered
// database is selected only by its exact name, which enables BrowseE. A missing user folder becomes C: and
// empties the list; BrowseI needs a BACKUP of any kind.
TEST(DatabaseList, ListsCompletePairsInListingOrderAndSelectsOnlyTheExactRememberedName) {
    for (const auto& [userFolder, database, entries, expected] : {
             std::tuple{"C:\\PALM\\Owner", "", "familyp.pdb FAMILYe.pdb OtherP.PDB LoneE.PDB Notes.txt",
                        "C:\\PALM\\Owner: family [] I"},
             {"C:\\PALM\\Owner", "Beta", "ZetaP.PDB ZetaE.PDB alphaP.PDB alphaE.PDB BetaP.PDB BetaE.PDB",
              "C:\\PALM\\Owner: alpha Beta Zeta [Beta] I E"},
             {"C:\\PALM\\Owner", "Family", "FAMILYP.PDB FAMILYE.PDB", "C:\\PALM\\Owner: FAMILY [] I"},
             {"C:\\PALM\\Owner", ".Secret",
              "DirP.PDB/ DirE.PDB FileP.PDB FileE.PDB/ .SecretP.PDB .SecretE.PDB", "C:\\PALM\\Owner:  [] I"},
             {"C:\\PALM\\Gone", "Family", "/BACKUP/FamilyP.PDB /BACKUP/FamilyE.PDB", "C::  []"},
             {"C:\\PALM\\Owner", "Family", "/PALM/Owner/", "C:\\PALM\\Owner:  []"},
             {"C:\\PALM\\Owner", "Family", "/PALM/Owner/Backup", "C:\\PALM\\Owner:  [] I"},
             {"C:", "Family", "/BACKUP/FamilyP.PDB /BACKUP/FamilyE.PDB", "C:: Family [Family] I E"},
         }) {
        testing::TempDrives drives;
        make(drives, entries, "PALM/Owner/BACKUP/");
        RecordingForm form;
        AppState state;
        state.UserFolder = userFolder;
        state.DatabaseName = database;
        RefreshDatabaseList(state, drives.fileSystem(), form);
        EXPECT_EQ(shown(state, form), expected) << entries;
    }
}

} // namespace
} // namespace fambridge
