#include "window_fixture.h"

#include <QFile>
#include <QScopeGuard>

#include <sys/stat.h>
#include <unistd.h>

namespace fambridge {
namespace {

using testing::settingsFile;

// Both windows over drives the test breaks under them.
class Faults : public testing::WindowFixture {
protected:
    void SetUp() override { makeDatabase('C', "PALM/User1/BACKUP", "Family"); }
};

// The reasons a replacement fails are the file system's (a folder in the way, read-only, hidden); here
// the window: a read-only file is still read at start, and Exit keeps it, naming it and the reason.
TEST_F(Faults, SettingsFileThatCannotBeReplacedIsKeptAndExitNamesItAndTheReason) {
    const QByteArray old = settingsFile("C:\\PALM\\Old", "", "", "");
    const QString file = drives.makeFile('C', "Conv/Famlore.ini", old);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther);
    start();
    // The old file names a user folder that is gone.
    EXPECT_EQ(state().UserFolder, "C:");
    EXPECT_TRUE(pressExit());
    expectWarnings(1, {"C:\\Conv\\Famlore.ini", "read-only"});
    EXPECT_EQ(drives.readHostFile(file), old);
}

TEST_F(Faults, SavedUserFolderOnADanglingDriveIsReportedWhenTheDialogOpensAndTheDialogStaysUsable) {
    drives.drive('D');
    ASSERT_TRUE(QDir(drives.host('D', "")).removeRecursively());
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile("D:\\PALM\\Owner", "", "", ""));
    start();
    EXPECT_EQ(state().UserFolder, "C:");
    EXPECT_EQ(state().DriveSpec, "D:");
    EXPECT_TRUE(warnings().isEmpty()) << "the main window must show before anything about the dialog's drive";

    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");
    expectWarnings(1, {"D:"});
    const QString shown = dialog().BackupDir->Path();
    dialog().BackupDrive->setDrive("D:");
    expectWarnings(2, {"D:"});
    EXPECT_EQ(dialog().BackupDir->Path(), shown);
    openFolder("C:\\");
    openFolder("PALM");
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM");
}

// Every kind of loop at once: to the drive root, between two links, a BACKUP that names itself, and
// database files and a folder in the user folder's BACKUP that do. "Aloop" sorts before "User1", so
// discovery meets the loops first.
TEST_F(Faults, SymbolicLinkLoopsArePassedByAndTheListAndTheDialogStillWork) {
    const std::pair<QString, QString> links[] = {{"PALM/Aloop", ".."},
                                                 {"PALM/Bloop", "Cloop"},
                                                 {"PALM/Cloop", "Bloop"},
                                                 {"PALM/Dloop/Backup", "Backup"},
                                                 {"PALM/User1/BACKUP/LoopP.PDB", "LoopP.PDB"},
                                                 {"PALM/User1/BACKUP/LoopE.PDB", "LoopE.PDB"},
                                                 {"PALM/User1/BACKUP/Deeper", "."}};
    for (const auto& [link, target] : links) {
        const QString host = drives.host('C', link);
        QDir().mkpath(QFileInfo(host).path());
        ASSERT_TRUE(QFile::link(target, host)) << link.toStdString();
    }
    start();
    EXPECT_EQ(state().UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    const QStringList offered = folderItems().mid(2);
    EXPECT_TRUE(offered.contains("Aloop")) << offered.join(' ').toStdString();
    for (const QString& folder : offered) {
        ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
        openFolder(folder);
        EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\" + folder);
    }
    EXPECT_TRUE(warnings().isEmpty());
}

// A name no decoder may accept cannot be opened again from any text the program could hold (listings leave
// such names out); started in such a folder, start-up refuses with a message naming it.
TEST_F(Faults, StartedInAFolderWhoseNameIsNotValidOnTheHostStartUpRefusesNamingIt) {
    // Qt could not remove what it cannot name.
    const QByteArray folder = QFile::encodeName(drives.drive('C')) + "/Conv\xFF";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const auto removed = qScopeGuard([&] { ::rmdir(folder.constData()); });
    ASSERT_EQ(::chdir(folder.constData()), 0);
    const Status started = runStartUp();
    ASSERT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains(drives.drive('C') + "/Conv")) << started.error().toStdString();
}

} // namespace
} // namespace fambridge
