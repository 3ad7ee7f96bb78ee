#include "window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

#include <gtest/gtest.h>

namespace fambridge {
namespace {

// Start-up from a temporary application folder, as a user starts the program from the folder holding
// Famlore.ini and the converters.
class StartUpTest : public testing::WindowFixture {
protected:
    void writeSettings(const QString& appFolder, const QByteArray& content) {
        drives.makeFile('C', appFolder + "/Famlore.ini", content);
    }
};

TEST_F(StartUpTest, FirstRunFindsTheUserFolderAndLeavesTheFileCommandsOff) {
    drives.makeFolder('C', "PALM/User1/Backup");
    start();

    EXPECT_EQ(state.AppDir, "C:\\Conv");
    EXPECT_EQ(state.IniPath, "C:\\Conv\\Famlore.ini");
    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(state.DriveSpec, "C:");
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_EQ(state.ExportFile, "");
    EXPECT_EQ(state.DatabaseName, "");
    EXPECT_EQ(form().FromFilename(1)->text(), "");
    EXPECT_EQ(form().ToFilename(0)->text(), "");
    EXPECT_EQ(form().Backup(2)->text(), "C:\\PALM\\User1");
    EXPECT_FALSE(form().Import(0)->isEnabled());
    EXPECT_FALSE(form().Export(1)->isEnabled());
    EXPECT_TRUE(form().BrowseI(1)->isEnabled());
    EXPECT_FALSE(form().BrowseE(0)->isEnabled());
    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\User1");
}

class SavedImportFile : public StartUpTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SavedImportFile, IsShownAndEnabledWhetherItsFolderExistsOrNot) {
    if (GetParam())
        drives.makeFile('D', "Gen/tree.ged");
    else
        drives.drive('D');
    writeSettings(
        "Conv",
        "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\User1\"\r\n\"D:\\Gen\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n");
    start();
    EXPECT_EQ(state.ImportFile, "D:\\Gen\\tree.ged");
    EXPECT_EQ(form().FromFilename(1)->text(), "D:\\Gen\\tree.ged");
    EXPECT_TRUE(form().Import(0)->isEnabled());
    EXPECT_FALSE(form().Export(1)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(FolderThereOrNot, SavedImportFile, ::testing::Bool());

TEST_F(StartUpTest, EmptyImportFolderWithANameChoosesNoFile) {
    writeSettings("Conv",
                  "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\User1\"\r\n\"\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n");
    start();
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_EQ(form().FromFilename(1)->text(), "");
    EXPECT_FALSE(form().Import(0)->isEnabled());
}

TEST_F(StartUpTest, SavedExportChoiceSelectsItsDatabase) {
    drives.makeFile('C', "PALM/Owner/BACKUP/FamilyP.PDB");
    drives.makeFile('C', "PALM/Owner/BACKUP/FamilyE.PDB");
    writeSettings("Conv", "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\Owner\"\r\n\r\n\r\n\"C:\\Out\"\r\n"
                          "\"family.ged\"\r\n\"Family\"\r\n");
    start();
    EXPECT_EQ(state.ExportFile, "C:\\Out\\family.ged");
    EXPECT_EQ(form().ToFilename(0)->text(), "C:\\Out\\family.ged");
    EXPECT_TRUE(form().Export(1)->isEnabled());
    EXPECT_EQ(form().DBList->currentText(), "Family");
    EXPECT_TRUE(form().BrowseE(0)->isEnabled());
    EXPECT_EQ(state.DatabaseName, "Family");
}

TEST_F(StartUpTest, SavedUserFolderOnDriveDSetsTheDialogToThatDrive) {
    drives.makeFolder('D', "PALM/Owner/BACKUP");
    writeSettings("Conv", "\"FAMBRIDGE\",\"1.40\"\r\n\"D:\\PALM\\Owner\"\r\n\r\n\r\n\r\n\r\n\r\n");
    start();
    EXPECT_EQ(state.UserFolder, "D:\\PALM\\Owner");
    EXPECT_EQ(state.DriveSpec, "D:");
    EXPECT_EQ(dialog().BackupDrive->Drive(), "d:");
    EXPECT_EQ(dialog().BackupDir->Path(), "D:\\PALM\\Owner");
    EXPECT_EQ(form().Backup(2)->text(), "D:\\PALM\\Owner");
    EXPECT_TRUE(form().BrowseI(1)->isEnabled());
}

TEST_F(StartUpTest, SavedUserFolderThatIsGoneFallsBackToCButKeepsItsDrive) {
    drives.drive('D');
    writeSettings("Conv", "\"FAMBRIDGE\",\"1.40\"\r\n\"D:\\PALM\\Gone\"\r\n\r\n\r\n\r\n\r\n\r\n");
    start();
    EXPECT_EQ(state.UserFolder, "C:");
    EXPECT_EQ(state.DriveSpec, "D:");
    EXPECT_EQ(form().Backup(2)->text(), "C:");
    EXPECT_FALSE(form().BrowseI(1)->isEnabled());
}

TEST_F(StartUpTest, ForeignSettingsFileIsIgnoredAndDiscoveryRuns) {
    drives.makeFolder('C', "PALM/User1/BACKUP");
    writeSettings(
        "Conv", "\"fambridge\",\"1.40\"\r\n\"D:\\Elsewhere\"\r\n\"D:\\Gen\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n");
    start();
    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_FALSE(form().Import(0)->isEnabled());
}

TEST_F(StartUpTest, DriveRootAsCurrentFolderDoublesTheSeparatorAndStillReadsTheFile) {
    writeSettings("", "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\Saved\"\r\n\r\n\r\n\r\n\r\n\r\n");
    drives.makeFolder('C', "Saved");
    start("");
    EXPECT_EQ(state.AppDir, "C:\\");
    EXPECT_EQ(state.IniPath, "C:\\\\Famlore.ini");
    EXPECT_EQ(state.UserFolder, "C:\\Saved");
}

TEST_F(StartUpTest, CurrentFolderOnNoDriveIsAnError) {
    QTemporaryDir outside;
    QDir::setCurrent(outside.path());
    const Status started = runStartUp();
    EXPECT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains("no drive")) << started.error().toStdString();
}

} // namespace
} // namespace fambridge
