#include "startup/start_up.h"
#include "temp_drives.h"
#include "ui/backup_dialog.h"
#include "ui/main_form.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

#include <gtest/gtest.h>

namespace fambridge {
namespace {

// Runs start-up with the process's current folder in a temporary application folder, as a user starts
// the program from the folder holding Famlore.ini and the converters.
class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override { m_previous = QDir::currentPath(); }
    void TearDown() override { QDir::setCurrent(m_previous); }

    void writeSettings(const QString& appFolder, const QByteArray& content) {
        drives.makeFile('C', appFolder + "/Famlore.ini", content);
    }

    // The windows are made here, after the test has laid out its drives, as the program makes them
    // after the drive map is read.
    Status start(const QString& appFolder = "Conv") {
        QDir::setCurrent(drives.makeFolder('C', appFolder));
        makeWindows();
        return StartUp(state, drives.fileSystem(), *formPtr, *dialogPtr);
    }

    void makeWindows() {
        formPtr = std::make_unique<MainForm>(state, drives.fileSystem());
        dialogPtr = std::make_unique<BackupDialog>(state, drives.fileSystem(), *formPtr, formPtr.get());
    }

    testing::TempDrives drives;
    AppState state;
    std::unique_ptr<MainForm> formPtr;
    std::unique_ptr<BackupDialog> dialogPtr;
    MainForm& form() { return *formPtr; }
    BackupDialog& dialog() { return *dialogPtr; }

private:
    QString m_previous;
};

TEST_F(StartUpTest, FirstRunFindsTheUserFolderAndLeavesTheFileCommandsOff) {
    drives.makeFolder('C', "PALM/User1/Backup");
    ASSERT_TRUE(start().ok());

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

TEST_F(StartUpTest, SavedImportFileIsShownAndEnabledWhetherItsFolderExistsOrNot) {
    for (const bool folderExists : {true, false}) {
        SCOPED_TRACE(folderExists);
        testing::TempDrives local;
        if (folderExists)
            local.makeFile('D', "Gen/tree.ged");
        local.makeFile(
            'C', "Conv/Famlore.ini",
            "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\User1\"\r\n\"D:\\Gen\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n");
        AppState localState;
        MainForm localForm(localState, local.fileSystem());
        BackupDialog localDialog(localState, local.fileSystem(), localForm, &localForm);
        QDir::setCurrent(local.host('C', "Conv"));
        ASSERT_TRUE(StartUp(localState, local.fileSystem(), localForm, localDialog).ok());

        EXPECT_EQ(localState.ImportFile, "D:\\Gen\\tree.ged");
        EXPECT_EQ(localForm.FromFilename(1)->text(), "D:\\Gen\\tree.ged");
        EXPECT_TRUE(localForm.Import(0)->isEnabled());
        EXPECT_FALSE(localForm.Export(1)->isEnabled());
    }
}

TEST_F(StartUpTest, EmptyImportFolderWithANameChoosesNoFile) {
    writeSettings("Conv",
                  "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\User1\"\r\n\"\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n");
    ASSERT_TRUE(start().ok());
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_EQ(form().FromFilename(1)->text(), "");
    EXPECT_FALSE(form().Import(0)->isEnabled());
}

TEST_F(StartUpTest, SavedExportChoiceSelectsItsDatabase) {
    drives.makeFile('C', "PALM/Owner/BACKUP/FamilyP.PDB");
    drives.makeFile('C', "PALM/Owner/BACKUP/FamilyE.PDB");
    writeSettings("Conv", "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\Owner\"\r\n\r\n\r\n\"C:\\Out\"\r\n"
                          "\"family.ged\"\r\n\"Family\"\r\n");
    ASSERT_TRUE(start().ok());
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
    ASSERT_TRUE(start().ok());
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
    ASSERT_TRUE(start().ok());
    EXPECT_EQ(state.UserFolder, "C:");
    EXPECT_EQ(state.DriveSpec, "D:");
    EXPECT_EQ(form().Backup(2)->text(), "C:");
    EXPECT_FALSE(form().BrowseI(1)->isEnabled());
}

TEST_F(StartUpTest, ForeignSettingsFileIsIgnoredAndDiscoveryRuns) {
    drives.makeFolder('C', "PALM/User1/BACKUP");
    writeSettings(
        "Conv", "\"fambridge\",\"1.40\"\r\n\"D:\\Elsewhere\"\r\n\"D:\\Gen\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n");
    ASSERT_TRUE(start().ok());
    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_FALSE(form().Import(0)->isEnabled());
}

TEST_F(StartUpTest, DriveRootAsCurrentFolderDoublesTheSeparatorAndStillReadsTheFile) {
    writeSettings("", "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\Saved\"\r\n\r\n\r\n\r\n\r\n\r\n");
    drives.makeFolder('C', "Saved");
    ASSERT_TRUE(start("").ok());
    EXPECT_EQ(state.AppDir, "C:\\");
    EXPECT_EQ(state.IniPath, "C:\\\\Famlore.ini");
    EXPECT_EQ(state.UserFolder, "C:\\Saved");
}

TEST_F(StartUpTest, CurrentFolderOnNoDriveIsAnError) {
    QTemporaryDir outside;
    makeWindows();
    QDir::setCurrent(outside.path());
    const Status started = StartUp(state, drives.fileSystem(), form(), dialog());
    EXPECT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains("no drive")) << started.error().toStdString();
}

} // namespace
} // namespace fambridge
