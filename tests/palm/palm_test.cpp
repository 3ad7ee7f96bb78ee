#include "no_windows.h"
#include "palm/database_list.h"
#include "palm/user_folder.h"
#include "qt_printers.h"
#include "temp_drives.h"
#include "test_table.h"

#include <QRegularExpression>

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
// else an empty file. A path is inside the folder `in` unless it starts with '/'. "{01-20}" in a path stands
// for each number from 01 to 20 in turn; a path without it is made once, as number 0 to 0.
void make(testing::TempDrives& drives, const QString& entries, const QString& in = {}) {
    for (const QString& entry : entries.split(' ', Qt::SkipEmptyParts)) {
        const auto range = QRegularExpression(R"(\{(\d+)-(\d+)\})").match(entry);
        for (int i = range.captured(1).toInt(); i <= range.captured(2).toInt(); ++i) {
            QString path = entry.startsWith('/') ? entry.mid(1) : in + entry;
            if (range.hasMatch())
                path.replace(range.captured(), QString::number(i).rightJustified(2, '0'));
            path.endsWith('/') ? void(drives.makeFolder('C', path)) : void(drives.makeFile('C', path));
        }
    }
}

// The user folder, the entries of the list, the selection in brackets, and I and E for BrowseI and BrowseE
// where enabled.
QString shown(const AppState& state, const RecordingForm& form) {
    return state.UserFolder + ": " + form.dbList.join(' ') + " [" + form.selected + ']' +
           (form.browseI ? " I" : "") + (form.browseE ? " E" : "");
}

// What the window shows after a row of palm.txt, "discover ENTRIES" or "list USERFOLDER DATABASE ENTRIES"
// ("-" for no database), made in a fresh drive C:.
QString shownAfter(const QString& row) {
    QStringList asked = row.section(" = ", 0, 0).split(' ');
    testing::TempDrives drives;
    RecordingForm form;
    AppState state;
    if (asked.takeFirst() == "discover") {
        make(drives, asked.join(' '));
        LocatePalmFolder(state, drives.fileSystem(), form, "C:\\PALM");
    } else {
        state.UserFolder = asked.takeFirst();
        state.DatabaseName = asked.first() == "-" ? QString() : asked.first();
        make(drives, asked.mid(1).join(' '), "PALM/Owner/BACKUP/");
        RefreshDatabaseList(state, drives.fileSystem(), form);
    }
    return shown(state, form);
}

// The rows of palm.txt of one kind, each with what the window shows after it.
void expectRows(const QString& kind) {
    const QStringList rows = testing::tableRows("palm.txt").filter(QRegularExpression('^' + kind + ' '));
    ASSERT_FALSE(rows.isEmpty()) << "palm.txt has no rows of this kind";
    for (const QString& row : rows)
        EXPECT_EQ(shownAfter(row), row.section(" = ", 1)) << row.toStdString();
}

// The first of at most twenty folders in C:\PALM, files and dots not counted, with a Backup of any kind in
// any letter case; a folder named as the swap file takes no place. Without PALM the root of C: is looked at,
// and else the user folder is C:. The database list of the folder found follows.
TEST(UserFolderDiscovery, LocatePalmFolderChoosesTheFirstOfTwentySubfoldersWithABackupOrElseC) {
    expectRows("discover");
}

// Complete pairs only, either half in any letter case, named as the P half, in listing order; the remembered
// database is selected only by its exact name, which enables BrowseE. A missing user folder becomes C: and
// empties the list; BrowseI needs a BACKUP of any kind.
TEST(DatabaseList, ListsCompletePairsInListingOrderAndSelectsOnlyTheExactRememberedName) {
    expectRows("list");
}

} // namespace
} // namespace fambridge
