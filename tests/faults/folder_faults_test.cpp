#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fambridge {
namespace {

using testing::settingsFile;

// Both windows over drives the test breaks under them: raw byte names, symbolic links, folders that
// vanish. Every test ends where a user would: pressing Exit.
class FolderFaults : public testing::WindowFixture {
protected:
    void SetUp() override { makeDatabase('C', "PALM/User1/BACKUP", "Family"); }
    void TearDown() override {
        for (auto it = m_rawPaths.crbegin(); it != m_rawPaths.crend(); ++it)
            ::remove(it->constData());
    }

    // A folder, or an empty file, whose host name is these bytes. Qt cannot remove such a name, so the
    // fixture does, deepest first.
    void makeRaw(const QString& hostParent, const QByteArray& name, bool folder) {
        const QByteArray path = QFile::encodeName(hostParent) + '/' + name;
        const int made = folder ? ::mkdir(path.constData(), 0755)
                                : ::close(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644));
        ASSERT_EQ(made, 0) << path.toHex().constData();
        m_rawPaths.push_back(path);
    }

private:
    std::vector<QByteArray> m_rawPaths;
};

// The dialog still shows the folder as it was when the user opened it; OK must not trust that.
TEST_F(FolderFaults, UserFolderDeletedBeforeOkFallsBackToCKeepsTheListAndExitKeepsTheChoices) {
    makeDatabase('C', "PALM/Owner/BACKUP", "Family");
    makeDatabase('C', "PALM/Owner/BACKUP", "Smith");
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile("C:\\PALM\\Owner", "C:\\Gen", "C:\\Out", "Family"));
    start();
    ASSERT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\Owner");

    ASSERT_TRUE(QDir(drives.host('C', "PALM/Owner")).removeRecursively());
    dialog().OKButton->click();

    EXPECT_EQ(state().UserFolder, "C:");
    EXPECT_EQ(databases(), (QStringList{"Family", "Smith"}));
    EXPECT_EQ(form().DBList->currentText(), "Family");
    EXPECT_FALSE(form().BrowseI(1)->isEnabled());
    EXPECT_TRUE(pressExit());
    EXPECT_TRUE(warnings().isEmpty());
    EXPECT_EQ(savedChoices(), QStringList({"C:", "C:\\Gen", "tree.ged", "C:\\Out", "family.ged", "Family"}));
}

TEST_F(FolderFaults, SavedUserFolderOnADanglingDriveIsReportedWhenTheDialogOpensAndTheDialogStaysUsable) {
    drives.drive('D');
    ASSERT_TRUE(QDir(drives.host('D', "")).removeRecursively());
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile("D:\\PALM\\Owner", "C:\\Gen", "C:\\Out", "Family"));
    start();

    EXPECT_EQ(state().UserFolder, "C:");
    EXPECT_EQ(state().DriveSpec, "D:");
    EXPECT_TRUE(warnings().isEmpty()) << "the main window must show before anything about the dialog's drive";

    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");
    expectWarnings(1, {"D:"});

    // Choosing the drive again tells the user again and leaves the dialog where it was.
    const QString shown = dialog().BackupDir->Path();
    dialog().BackupDrive->setDrive("D:");
    expectWarnings(2, {"D:"});
    EXPECT_EQ(dialog().BackupDir->Path(), shown);
    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");

    openFolder("C:\\");
    openFolder("PALM");
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM");
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(warnings().size(), 2);
    EXPECT_EQ(savedChoices(), QStringList({"C:", "C:\\Gen", "tree.ged", "C:\\Out", "family.ged", "Family"}));
}

// Every kind of loop at once: to the drive root, between two links, a BACKUP that names itself, and
// database files and a folder in the user folder's BACKUP that do. "Aloop" sorts before "User1", so
// discovery meets the loops first. A link to itself fails as the pair does; one to its own folder loops as
// the one to the root does.
TEST_F(FolderFaults, SymbolicLinkLoopsArePassedByAndTheListAndTheDialogStillWork) {
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
    EXPECT_TRUE(warnings().isEmpty());

    // Every folder the dialog offers in C:\PALM opens, the looping ones included, and nothing hangs.
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    const QStringList offered = folderItems().mid(2);
    EXPECT_TRUE(offered.contains("Aloop")) << offered.join(' ').toStdString();
    for (const QString& folder : offered) {
        SCOPED_TRACE(folder.toStdString());
        ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
        openFolder(folder);
        EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\" + folder);
    }
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(savedChoices().value(0), "C:\\PALM\\User1");
}

// Names no decoder may accept: 0xFF, an overlong slash and an encoded surrogate, which lenient decoders
// take; a lone or cut-short sequence fails as 0xFF does. Such a name cannot be opened again from any text
// the program could hold, so it is left out everywhere.
const QByteArray kBadNames[] = {"\xFF", "\xC0\xAF", "\xED\xA0\x80"};

TEST_F(FolderFaults, NameNotValidOnTheHostIsNeitherChosenNorListedNorOffered) {
    for (const QByteArray& bad : kBadNames) {
        // Sorted before "User1" whatever a decoder would make of the bytes.
        makeRaw(drives.host('C', "PALM"), "A" + bad, true);
        makeRaw(drives.host('C', "PALM"), "A" + bad + "/Backup", true);
        makeRaw(drives.host('C', "PALM/User1/BACKUP"), "Bad" + bad + "P.PDB", false);
        makeRaw(drives.host('C', "PALM/User1/BACKUP"), "Bad" + bad + "E.PDB", false);
    }
    start();

    EXPECT_EQ(state().UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    EXPECT_EQ(folderItems(), (QStringList{"C:\\", "PALM", "User1"}));
    EXPECT_TRUE(pressExit());
    EXPECT_TRUE(warnings().isEmpty());
    EXPECT_EQ(savedChoices().value(0), "C:\\PALM\\User1");
}

// Started from there, the program could neither find its settings file again nor save one beside it;
// start-up refuses with a message naming the folder, which Main shows before it ends.
TEST_F(FolderFaults, NameNotValidOnTheHostAsTheApplicationFolderStopsStartUpWithTheFolderNamed) {
    const QByteArray folder = "Conv" + kBadNames[0];
    makeRaw(drives.drive('C'), folder, true);
    makeRaw(drives.drive('C'), folder + "/Famlore.ini", false);
    ASSERT_EQ(::chdir((QFile::encodeName(drives.drive('C')) + '/' + folder).constData()), 0);

    const Status started = runStartUp();

    ASSERT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains(drives.drive('C') + "/Conv")) << started.error().toStdString();
    EXPECT_FALSE(QFileInfo::exists(drives.host('C', "Conv\uFFFD")));
}

} // namespace
} // namespace fambridge
