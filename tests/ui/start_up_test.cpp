#include "window_fixture.h"

#include <QLabel>
#include <QTemporaryDir>

namespace fambridge {
namespace {

using testing::settingsFile;

struct StartCase {
    const char* name;
    // Made before the start besides C:\PALM\User1\BACKUP with the database Family: nothing when madeOn is
    // 0, the bare drive when made is empty, a folder when it ends in '/', else a file.
    char madeOn;
    const char* made;
    QByteArray settings; // Famlore.ini in the application folder; none when empty
    QString userFolder;
    QString drive; // the drive start-up leaves chosen for the user folder dialog
    QString importFile;
    QString exportFile;
    QString database;
};

const StartCase kStartCases[] = {
    {"FirstRunFindsTheUserFolderAndChoosesNoFile", 0, "", "", "C:\\PALM\\User1", "C:", "", "", ""},
    {"SavedImportFileIsChosen", 'D', "Gen/tree.ged", settingsFile("C:\\PALM\\User1", "D:\\Gen", "", ""),
     "C:\\PALM\\User1", "C:", "D:\\Gen\\tree.ged", "", ""},
    {"SavedImportFileIsChosenEvenWhenItsFolderIsGone", 'D', "",
     settingsFile("C:\\PALM\\User1", "D:\\Gen", "", ""), "C:\\PALM\\User1", "C:", "D:\\Gen\\tree.ged", "",
     ""},
    {"ImportNameWithoutAFolderChoosesNoFile", 0, "", settingsFile("C:\\PALM\\User1", "", "", ""),
     "C:\\PALM\\User1", "C:", "", "", ""},
    {"SavedExportChoiceSelectsItsDatabase", 0, "", settingsFile("C:\\PALM\\User1", "", "C:\\Out", "Family"),
     "C:\\PALM\\User1", "C:", "", "C:\\Out\\family.ged", "Family"},
    {"SavedUserFolderOnDriveDSetsTheDialogToThatDrive", 'D', "PALM/Owner/BACKUP/",
     settingsFile("D:\\PALM\\Owner", "", "", ""), "D:\\PALM\\Owner", "D:", "", "", ""},
    {"SavedUserFolderThatIsGoneFallsBackToCButKeepsItsDrive", 'D', "",
     settingsFile("D:\\PALM\\Gone", "", "", ""), "C:", "D:", "", "", ""},
};

void PrintTo(const StartCase& c, std::ostream* out) {
    *out << c.name;
}

class StartUpTest : public testing::WindowFixture, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartUpTest, ShowsTheChoicesItTookInBothWindows) {
    const StartCase& c = GetParam();
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
    if (c.madeOn && !*c.made)
        drives.drive(c.madeOn);
    else if (c.madeOn && QString(c.made).endsWith('/'))
        drives.makeFolder(c.madeOn, c.made);
    else if (c.madeOn)
        drives.makeFile(c.madeOn, c.made);
    if (!c.settings.isEmpty())
        drives.makeFile('C', "Conv/Famlore.ini", c.settings);
    start();

    EXPECT_EQ(state.AppDir, "C:\\Conv");
    EXPECT_EQ(state.IniPath, "C:\\Conv\\Famlore.ini");
    EXPECT_EQ(state.UserFolder, c.userFolder);
    EXPECT_EQ(form().Backup(2)->text(), c.userFolder);
    // Every user folder here but the bare drive has a BACKUP folder.
    EXPECT_EQ(form().BrowseI(1)->isEnabled(), c.userFolder != "C:");
    EXPECT_EQ(state.DriveSpec, c.drive);
    EXPECT_EQ(state.ImportFile, c.importFile);
    EXPECT_EQ(form().FromFilename(1)->text(), c.importFile);
    EXPECT_EQ(form().Import(0)->isEnabled(), !c.importFile.isEmpty());
    EXPECT_EQ(state.ExportFile, c.exportFile);
    EXPECT_EQ(form().ToFilename(0)->text(), c.exportFile);
    EXPECT_EQ(form().Export(1)->isEnabled(), !c.exportFile.isEmpty());
    EXPECT_EQ(state.DatabaseName, c.database);
    EXPECT_EQ(form().DBList->currentText(), c.database);
    EXPECT_EQ(form().BrowseE(0)->isEnabled(), !c.database.isEmpty());
    EXPECT_EQ(dialog().BackupDrive->Drive(), c.drive.toLower());
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
