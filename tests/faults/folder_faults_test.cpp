#include "fault_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <string>
#include <vector>

#include <unistd.h>

namespace fambridge {
namespace {

using testing::FaultFixture;
using testing::settingsFile;

class FolderFaults : public FaultFixture {
protected:
    void openFolderItem(const QString& name) {
        const auto found = dialog().BackupDir->findItems(name, Qt::MatchEndsWith);
        ASSERT_FALSE(found.isEmpty()) << name.toStdString();
        dialog().BackupDir->setCurrentItem(found.front());
        QTest::keyClick(dialog().BackupDir, Qt::Key_Return);
    }

    void selectDrive(QChar letter) {
        dialog().BackupDrive->setCurrentIndex(dialog().BackupDrive->findData(QString(letter)));
    }

    // The choices a settings file names survive whatever happened to the user folder.
    void expectFileChoicesSaved() {
        const auto saved = savedSettings();
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(saved->ImportDir, "C:\\Gen");
        EXPECT_EQ(saved->ImportName, "tree.ged");
        EXPECT_EQ(saved->ExportDir, "C:\\Out");
        EXPECT_EQ(saved->ExportName, "family.ged");
        EXPECT_EQ(saved->DatabaseName, "Family");
    }
};

enum class Vanishing { FolderDeleted, DriveTargetDeleted };

struct VanishingCase {
    const char* name;
    Vanishing how;
    QChar drive;
    QString userFolder;
};

void PrintTo(const VanishingCase& c, std::ostream* out) {
    *out << c.name;
}

class UserFolderVanishing : public FolderFaults, public ::testing::WithParamInterface<VanishingCase> {};

TEST_P(UserFolderVanishing, OkInTheDialogFallsBackToCKeepsTheListAndExitKeepsTheChoices) {
    const QChar drive = GetParam().drive;
    drives.makeFile(drive, "PALM/Owner/BACKUP/FamilyP.PDB");
    drives.makeFile(drive, "PALM/Owner/BACKUP/FamilyE.PDB");
    drives.makeFile(drive, "PALM/Owner/BACKUP/SmithP.PDB");
    drives.makeFile(drive, "PALM/Owner/BACKUP/SmithE.PDB");
    drives.makeFile('C', "Conv/Famlore.ini",
                    settingsFile(GetParam().userFolder, "C:\\Gen", "C:\\Out", "Family"));
    start();
    ASSERT_EQ(databases(), (QStringList{"Family", "Smith"}));
    ASSERT_EQ(dialog().BackupDir->Path(), GetParam().userFolder);

    if (GetParam().how == Vanishing::FolderDeleted)
        ASSERT_TRUE(QDir(drives.host(drive, "PALM/Owner")).removeRecursively());
    else
        ASSERT_TRUE(QDir(drives.host(drive, "")).removeRecursively());
    // The dialog still shows the folder as it was when the user opened it.
    dialog().OKButton->click();

    EXPECT_EQ(state.UserFolder, "C:");
    EXPECT_EQ(databases(), (QStringList{"Family", "Smith"}));
    EXPECT_EQ(form().DBList->currentText(), "Family");
    EXPECT_FALSE(form().BrowseI(1)->isEnabled());
    EXPECT_FALSE(form().BrowseE(0)->isEnabled());
    EXPECT_TRUE(form().Export(1)->isEnabled());
    EXPECT_TRUE(pressExit());
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    expectFileChoicesSaved();
    EXPECT_EQ(savedSettings()->UserFolder, "C:");
}

INSTANTIATE_TEST_SUITE_P(Cases, UserFolderVanishing,
                         ::testing::Values(VanishingCase{"FolderDeleted", Vanishing::FolderDeleted, 'C',
                                                         "C:\\PALM\\Owner"},
                                           VanishingCase{"DriveTargetDeleted", Vanishing::DriveTargetDeleted,
                                                         'D', "D:\\PALM\\Owner"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FolderFaults, SavedUserFolderOnADanglingDriveIsReportedWhenTheDialogOpensAndTheDialogStaysUsable) {
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
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
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("D:")) << warnings[0].toStdString();

    // Choosing the drive again tells the user again and leaves the dialog where it was.
    const QString shown = dialog().BackupDir->Path();
    selectDrive('D');
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[1].contains("D:")) << warnings[1].toStdString();
    EXPECT_EQ(dialog().BackupDir->Path(), shown);
    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");

    openFolderItem("C:\\");
    openFolderItem("PALM");
    openFolderItem("User1");
    dialog().OKButton->click();
    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(warnings.size(), 2);
    expectFileChoicesSaved();
    EXPECT_EQ(savedSettings()->UserFolder, "C:\\PALM\\User1");
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
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
    for (const auto& [link, target] : GetParam().links) {
        const QString host = drives.host('C', link);
        QDir().mkpath(QFileInfo(host).path());
        ASSERT_TRUE(QFile::link(target, host)) << link.toStdString();
    }
    start();

    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();

    // Every folder the dialog offers in C:\PALM opens, the looping ones included, and nothing hangs.
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    const QStringList offered = folderListItems().mid(2);
    for (const QString& folder : offered) {
        SCOPED_TRACE(folder.toStdString());
        ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
        openFolderItem(folder);
        EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\" + folder);
    }
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(savedSettings()->UserFolder, "C:\\PALM\\User1");
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
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
    const QByteArray bad = GetParam().bytes;
    // Sorted before "User1" whatever a decoder would make of the bytes.
    makeRawFolder(drives.host('C', "PALM"), "A" + bad);
    makeRawFolder(drives.host('C', "PALM"), "A" + bad + "/Backup");
    makeRawFile(drives.host('C', "PALM/User1/BACKUP"), "Bad" + bad + "P.PDB");
    makeRawFile(drives.host('C', "PALM/User1/BACKUP"), "Bad" + bad + "E.PDB");
    start();

    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    EXPECT_EQ(folderListItems(), (QStringList{"C:\\", "PALM", "User1"}));
    EXPECT_TRUE(pressExit());
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    EXPECT_EQ(savedSettings()->UserFolder, "C:\\PALM\\User1");
}

// Started from there, the program could neither find its settings file again nor save one beside it;
// start-up refuses with a message naming the folder, which Main shows before it ends.
TEST_P(NameNotValidOnTheHost, AsTheApplicationFolderStopsStartUpWithTheFolderNamed) {
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
    const QByteArray folder = "Conv" + GetParam().bytes;
    makeRawFolder(drives.drive('C'), folder);
    makeRawFile(drives.drive('C'), folder + "/Famlore.ini");
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
