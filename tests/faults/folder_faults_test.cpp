#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <string>
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

// On C: the user folder itself is deleted; on D: the host folder the drive's link names.
class UserFolderVanishing : public FolderFaults, public ::testing::WithParamInterface<char> {};

TEST_P(UserFolderVanishing, OkInTheDialogFallsBackToCKeepsTheListAndExitKeepsTheChoices) {
    const char drive = GetParam();
    const QString userFolder = QStringLiteral("%1:\\PALM\\Owner").arg(drive);
    for (const char* name : {"FamilyP", "FamilyE", "SmithP", "SmithE"})
        drives.makeFile(drive, QStringLiteral("PALM/Owner/BACKUP/%1.PDB").arg(name));
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile(userFolder, "C:\\Gen", "C:\\Out", "Family"));
    start();
    ASSERT_EQ(databases(), (QStringList{"Family", "Smith"}));
    ASSERT_EQ(dialog().BackupDir->Path(), userFolder);

    ASSERT_TRUE(QDir(drives.host(drive, drive == 'C' ? "PALM/Owner" : "")).removeRecursively());
    // The dialog still shows the folder as it was when the user opened it.
    dialog().OKButton->click();

    EXPECT_EQ(state.UserFolder, "C:");
    EXPECT_EQ(databases(), (QStringList{"Family", "Smith"}));
    EXPECT_EQ(form().DBList->currentText(), "Family");
    EXPECT_FALSE(form().BrowseI(1)->isEnabled());
    EXPECT_FALSE(form().BrowseE(0)->isEnabled());
    EXPECT_TRUE(form().Export(1)->isEnabled());
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(warnings, QStringList());
    EXPECT_EQ(savedChoices(), QStringList({"C:", "C:\\Gen", "tree.ged", "C:\\Out", "family.ged", "Family"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, UserFolderVanishing, ::testing::Values('C', 'D'), [](const auto& info) {
    return std::string(info.param == 'C' ? "FolderDeleted" : "DriveTargetDeleted");
});

TEST_F(FolderFaults, SavedUserFolderOnADanglingDriveIsReportedWhenTheDialogOpensAndTheDialogStaysUsable) {
    drives.makeFile('C', "Gen/tree.ged");
    drives.drive('D');
    ASSERT_TRUE(QDir(drives.host('D', "")).removeRecursively());
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile("D:\\PALM\\Owner", "C:\\Gen", "C:\\Out", "Family"));
    start();

    EXPECT_EQ(state.UserFolder, "C:");
    EXPECT_EQ(state.DriveSpec, "D:");
    EXPECT_EQ(state.ImportFile, "C:\\Gen\\tree.ged");
    EXPECT_TRUE(form().Import(0)->isEnabled());
    EXPECT_TRUE(warnings.isEmpty()) << "the main window must show before anything about the dialog's drive";

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
    EXPECT_EQ(warnings.size(), 2);
    EXPECT_EQ(savedChoices(), QStringList({"C:", "C:\\Gen", "tree.ged", "C:\\Out", "family.ged", "Family"}));
}

struct LoopCase {
    const char* name;
    // Symbolic links to make, each a path relative to drive C:'s root and the target the link names.
    std::vector<std::pair<QString, QString>> links;
};

void PrintTo(const LoopCase& c, std::ostream* out) {
    *out << c.name;
}

class SymbolicLinkLoop : public FolderFaults, public ::testing::WithParamInterface<LoopCase> {};

// "Aloop" sorts before "User1", so discovery meets the loop first.
TEST_P(SymbolicLinkLoop, DiscoveryPassesItByAndTheListAndTheDialogStillWork) {
    for (const auto& [link, target] : GetParam().links) {
        const QString host = drives.host('C', link);
        QDir().mkpath(QFileInfo(host).path());
        ASSERT_TRUE(QFile::link(target, host)) << link.toStdString();
    }
    start();

    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    EXPECT_EQ(warnings, QStringList());

    // Every folder the dialog offers in C:\PALM opens, the looping ones included, and nothing hangs.
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    const QStringList offered = folderItems().mid(2);
    for (const QString& folder : offered) {
        SCOPED_TRACE(folder.toStdString());
        ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
        openFolder(folder);
        EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\" + folder);
    }
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(savedChoices().value(0), "C:\\PALM\\User1");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SymbolicLinkLoop,
    ::testing::Values(LoopCase{"LinkToItself", {{"PALM/Aloop", "Aloop"}}},
                      LoopCase{"LinkToItsOwnFolder", {{"PALM/Aloop", "."}}},
                      LoopCase{"LinkToTheDriveRoot", {{"PALM/Aloop", ".."}}},
                      LoopCase{"TwoLinksToEachOther", {{"PALM/Aloop", "Bloop"}, {"PALM/Bloop", "Aloop"}}},
                      LoopCase{"BackupThatLinksToItself", {{"PALM/Aloop/Backup", "Backup"}}},
                      LoopCase{"DatabaseFilesThatLinkToThemselves",
                               {{"PALM/User1/BACKUP/LoopP.PDB", "LoopP.PDB"},
                                {"PALM/User1/BACKUP/LoopE.PDB", "LoopE.PDB"},
                                {"PALM/User1/BACKUP/Deeper", "."}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RawNameCase {
    const char* name;
    QByteArray bytes;
};

void PrintTo(const RawNameCase& c, std::ostream* out) {
    *out << c.name;
}

class NameNotValidOnTheHost : public FolderFaults, public ::testing::WithParamInterface<RawNameCase> {};

// Such a name cannot be opened again from any text the program could hold; it is left out everywhere.
TEST_P(NameNotValidOnTheHost, IsNeitherChosenNorListedNorOffered) {
    const QByteArray bad = GetParam().bytes;
    // Sorted before "User1" whatever a decoder would make of the bytes.
    makeRaw(drives.host('C', "PALM"), "A" + bad, true);
    makeRaw(drives.host('C', "PALM"), "A" + bad + "/Backup", true);
    makeRaw(drives.host('C', "PALM/User1/BACKUP"), "Bad" + bad + "P.PDB", false);
    makeRaw(drives.host('C', "PALM/User1/BACKUP"), "Bad" + bad + "E.PDB", false);
    start();

    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    EXPECT_EQ(folderItems(), (QStringList{"C:\\", "PALM", "User1"}));
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(warnings, QStringList());
    EXPECT_EQ(savedChoices().value(0), "C:\\PALM\\User1");
}

// Started from there, the program could neither find its settings file again nor save one beside it;
// start-up refuses with a message naming the folder, which Main shows before it ends.
TEST_P(NameNotValidOnTheHost, AsTheApplicationFolderStopsStartUpWithTheFolderNamed) {
    const QByteArray folder = "Conv" + GetParam().bytes;
    makeRaw(drives.drive('C'), folder, true);
    makeRaw(drives.drive('C'), folder + "/Famlore.ini", false);
    const QByteArray hostFolder = QFile::encodeName(drives.drive('C')) + '/' + folder;
    ASSERT_EQ(::chdir(hostFolder.constData()), 0);

    const Status started = runStartUp();

    ASSERT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains(drives.drive('C') + "/Conv")) << started.error().toStdString();
    EXPECT_FALSE(QFileInfo::exists(drives.host('C', "Conv\uFFFD")));
}

INSTANTIATE_TEST_SUITE_P(Cases, NameNotValidOnTheHost,
                         ::testing::Values(RawNameCase{"ByteFF", "\xFF"},
                                           RawNameCase{"LoneContinuationByte", "\x80"},
                                           RawNameCase{"OverlongSlash", "\xC0\xAF"},
                                           RawNameCase{"EncodedSurrogate", "\xED\xA0\x80"},
                                           RawNameCase{"TruncatedSequence", "\xE5\xAE"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace fambridge
