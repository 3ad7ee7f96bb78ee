#include "window_fixture.h"

#include <QLabel>
#include <QTemporaryDir>

namespace fambridge {
namespace {

using testing::settingsFile;

struct StartCase {
    const char* name;
    // Drive D: besides C:\PALM\User1\BACKUP with the database Family: none when null, the bare drive when
    // empty, else with this folder.
    const char* folderOnD;
    QByteArray settings; // Famlore.ini in the application folder
    QString userFolder;
    QString drive; // the drive start-up leaves chosen for the user folder dialog
    QString importFile;
    QString exportFile;
    QString database;
};

// A first start, without settings, is run end to end.
const StartCase kStartCases[] = {
    {"SavedImportFileIsChosenEvenWhenItsFolderIsGone", "", settingsFile("C:\\PALM\\User1", "D:\\Gen", "", ""),
     "C:\\PALM\\User1", "C:", "D:\\Gen\\tree.ged", "", ""},
    // The saved import name has no folder here, which chooses no import file.
    {"SavedExportChoiceSelectsItsDatabase", nullptr, settingsFile("C:\\PALM\\User1", "", "C:\\Out", "Family"),
     "C:\\PALM\\User1", "C:", "", "C:\\Out\\family.ged", "Family"},
    {"SavedUserFolderOnDriveDSetsTheDialogToThatDrive", "PALM/Owner/BACKUP",
     settingsFile("D:\\PALM\\Owner", "", "", ""), "D:\\PALM\\Owner", "D:", "", "", ""},
    {"SavedUserFolderThatIsGoneFallsBackToCButKeepsItsDrive", "", settingsFile("D:\\PALM\\Gone", "", "", ""),
     "C:", "D:", "", "", ""},
};

void PrintTo(const StartCase& c, std::ostream* out) {
    *out << c.name;
}

class StartUpTest : public testing::WindowFixture, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartUpTest, ShowsTheChoicesItTookInBothWindows) {
    const StartCase& c = GetParam();
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
    if (c.folderOnD)
        drives.makeFolder('D', c.folderOnD);
    drives.makeFile('C', "Conv/Famlore.ini", c.settings);
    start();

    EXPECT_EQ(state.IniPath, "C:\\Conv\\Famlore.ini");
    const QStringList expected = {c.userFolder, c.drive, c.importFile, c.exportFile, c.database};
    EXPECT_EQ(QStringList({state.UserFolder, state.DriveSpec, state.ImportFile, state.ExportFile,
                           state.DatabaseName}),
              expected);
    EXPECT_EQ(QStringList({form().Backup(2)->text(), dialog().BackupDrive->Drive().toUpper(),
                           form().FromFilename(1)->text(), form().ToFilename(0)->text(),
                           form().DBList->currentText()}),
              expected);
    // Every user folder here but the bare drive has a BACKUP folder.
    EXPECT_EQ(form().BrowseI(1)->isEnabled(), c.userFolder != "C:");
    EXPECT_EQ(form().Import(0)->isEnabled(), !c.importFile.isEmpty());
    EXPECT_EQ(form().Export(1)->isEnabled(), !c.exportFile.isEmpty());
    EXPECT_EQ(form().BrowseE(0)->isEnabled(), !c.database.isEmpty());
    // A bare drive opens that drive's current folder, the application folder here.
    EXPECT_EQ(dialog().BackupDir->Path(), c.userFolder == "C:" ? "C:\\Conv" : c.userFolder);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartUpTest, ::testing::ValuesIn(kStartCases),
                         [](const auto& info) { return std::string(info.param.name); });

using StartUpFailure = testing::WindowFixture;

TEST_F(StartUpFailure, CurrentFolderOnNoDriveIsAnError) {
    QTemporaryDir outside;
    QDir::setCurrent(outside.path());
    const Status started = runStartUp();
    EXPECT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains("no drive")) << started.error().toStdString();
}

} // namespace
} // namespace fambridge
