#include "window_fixture.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QScopeGuard>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

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

    EXPECT_EQ(state().IniPath, "C:\\Conv\\Famlore.ini");
    const QStringList expected = {c.userFolder, c.drive, c.importFile, c.exportFile, c.database};
    EXPECT_EQ(QStringList({state().UserFolder, state().DriveSpec, state().ImportFile, state().ExportFile,
                           state().DatabaseName}),
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

using WindowTest = testing::WindowFixture;

// The version shown comes from the build's project version, which must spell it as the design does. Only
// the user's pick may become the chosen database; a selection made by code must not.
TEST_F(WindowTest, VersionAndADatabaseSelectedFromCodeOnlyInItsExactCase) {
    start();
    EXPECT_EQ(form().Version->text(), "v1.60");
    form().clearDBList();
    form().addDBListItem("Family");
    form().addDBListItem("Other");
    EXPECT_EQ(form().DBList->currentIndex(), -1);
    form().setDBListText("other");
    EXPECT_EQ(form().DBList->currentIndex(), -1);
    form().setDBListText("Other");
    EXPECT_EQ(form().DBList->currentText(), "Other");
    EXPECT_EQ(state().DatabaseName, "");
    EXPECT_FALSE(form().BrowseE(0)->isEnabled());
}

// The flags are the ones the dialog maps to its checks: a file that must exist, no read-only file and
// the overwrite question. A cancel keeps the earlier choice.
TEST_F(WindowTest, BrowseAsksForTitleFlagsFolderAndPresetNameAndACancelKeepsTheChoice) {
    drives.makeFile('C', "Gen/tree.ged");
    drives.makeFolder('C', "Out");
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", "Family"));
    start();
    form().BrowseI(1)->click();
    form().BrowseE(0)->click();
    ASSERT_EQ(runner.requests.size(), 2u);
    const auto summary = [](const FileDialogRequest& r) {
        return QStringList({r.save ? "save" : "open", r.title, QString::number(r.flags.toInt()), r.folder,
                            r.fileName, r.nameFilters.join('|'), r.defaultSuffix});
    };
    const QString filters = "GED Files (*.ged)|All Files (*)";
    EXPECT_EQ(summary(runner.requests[0]), QStringList({"open", "Select GED File To Import From", "4100",
                                                        "C:\\Gen", "tree.ged", filters, "GED"}));
    EXPECT_EQ(summary(runner.requests[1]), QStringList({"save", "Select GED File To Export To", "32774",
                                                        "C:\\Out", "family.ged", filters, "GED"}));
    EXPECT_EQ(state().ImportFile, "C:\\Gen\\tree.ged");
    EXPECT_EQ(state().ExportFile, "C:\\Out\\family.ged");

    runner.answers = {"C:\\Out\\new.ged"};
    form().BrowseE(0)->click();
    EXPECT_EQ(state().ExportFile, "C:\\Out\\new.ged");
    EXPECT_EQ(form().ToFilename(0)->text(), "C:\\Out\\new.ged");
}

// What the commands start, the install file going with Import alone, and what the window says when one
// cannot start: the converters are recorded here; why a command is refused is the commands' own test.
TEST_F(WindowTest, ImportAndExportStartTheirConvertersAndSayWhichOneCouldNotStart) {
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
    const QString installFile = drives.makeFile('C', "PALM/User1/INSTALL/FAMLORIM.PDB", "old");
    drives.makeFile('C', "Gen/tree.ged");
    start();
    runner.answers = {"C:\\Gen\\tree.ged"};
    form().BrowseI(1)->click();
    form().DBList->setCurrentIndex(0);
    emit form().DBList->activated(0);
    EXPECT_EQ(state().DatabaseName, "Family");
    ASSERT_TRUE(form().BrowseE(0)->isEnabled());
    runner.answers = {"C:\\Gen\\out.ged"};
    form().BrowseE(0)->click();

    form().Export(1)->click();
    EXPECT_TRUE(QFile::exists(installFile)) << "only Import removes the install file";
    form().Import(0)->click();
    ASSERT_EQ(starter.started.size(), 2u);
    EXPECT_EQ(starter.started[0],
              QStringList({"C:\\Conv\\FLExport", "C:\\PALM\\User1\\BACKUP", "C:\\Gen\\out.ged", "Family"}));
    EXPECT_EQ(starter.started[1], QStringList({"C:\\Conv\\FLImport", "C:\\PALM\\User1\\INSTALL",
                                               "C:\\Gen\\tree.ged", "C:\\Conv"}));
    EXPECT_FALSE(QFile::exists(installFile));
    EXPECT_TRUE(warnings().isEmpty()) << warnings().join('\n').toStdString();

    starter.failStart = "no such program";
    form().Import(0)->click();
    expectWarnings(1, {"FLImport", "C:\\Conv", "no such program"});
    form().Export(1)->click();
    expectWarnings(2, {"FLExport", "C:\\Conv", "no such program"});
}

// Showing the window must only arm the resize handling, not scale the loaded layout a second time. The
// list part of the drop-down list is made only when it first drops down, after the scaler has set the
// list's font; it must still show that font, and follow the list's font from then on.
TEST_F(WindowTest, LoadedOnALargerScreenScalesOnceAndTheDatabaseListDropsDownInItsScaledFont) {
    AppState state;
    MainForm form(state, drives.fileSystem(), starter, runner,
                  ScreenMetrics{15, 15, 1024 * 15.0f, 768 * 15.0f});
    // 240, 240, 975, 375 twips times 1.28, shown in whole pixels at 15 twips a pixel.
    EXPECT_EQ(form.Import(0)->geometry(), QRect(20, 20, 84, 32));
    // The drop-down list keeps its Height but grows with its font; a moved Line1 shows that the scaler
    // found the window's own lines.
    EXPECT_EQ(form.DBList->height(), 27);
    EXPECT_EQ(form.Line1.Y1, 1066);

    form.addDBListItem("Family");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.Import(0)->geometry(), QRect(20, 20, 84, 32));
    form.DBList->showPopup();
    const QAbstractItemView* list = form.DBList->view();
    EXPECT_TRUE(list->isVisible());
    EXPECT_FLOAT_EQ(float(list->font().pointSizeF()), 8 * 1.28f);
    form.DBList->hidePopup();
    QFont larger = form.DBList->font();
    larger.setPointSizeF(14);
    form.DBList->setFont(larger);
    EXPECT_FLOAT_EQ(float(list->font().pointSizeF()), 14);
}

// Hidden folders stay out, as they are out of a Windows listing. OK on the folder already in use lists its
// databases afresh; a drive root is shown as "C:\" but taken as the bare drive, which names no folder
// while C:'s current folder lies below the root: the list then offers nothing.
TEST_F(WindowTest, UserFolderDialogShowsVisibleFoldersAndOkTakesTheOneShownAfresh) {
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
    drives.makeFolder('C', "PALM/User1/.hidden");
    start();
    EXPECT_EQ(folderItems(), QStringList({"C:\\", "PALM", "User1", "BACKUP"}));
    EXPECT_EQ(dialog().BackupDir->currentItem()->text().trimmed(), "User1");
    makeDatabase('C', "PALM/User1/BACKUP", "New");
    dialog().show();
    dialog().OKButton->click();
    EXPECT_EQ(databases(), QStringList({"Family", "New"}));

    dialog().show();
    openFolder("C:\\");
    EXPECT_TRUE(dialog().isVisible()) << "Enter in the folder list must not press OK";
    QTest::keyClick(&dialog(), Qt::Key_Escape);
    EXPECT_TRUE(dialog().isVisible()) << "no button of the dialog answers Escape";
    dialog().OKButton->click();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(state().UserFolder, "C:");
    EXPECT_EQ(form().Backup(2)->text(), "C:");
    EXPECT_EQ(databases(), QStringList());
    EXPECT_FALSE(form().BrowseI(1)->isEnabled());
}

// Cancel leaves the user folder alone but not the place the dialog was moved to. A drive shows its
// letter, and its label only where it has one.
TEST_F(WindowTest, BrowseSOpensTheDialogModallyWhereItWasLeftAndOnlyOkChangesTheUserFolder) {
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
    makeDatabase('D', "Palm/Owner/Backup", "Smith");
    drives.makeFile('D', ".windows-label", "FAMILY\n");
    start();
    ASSERT_FALSE(form().findChild<BackupDialog*>()) << "start-up must not build a dialog nobody opened";
    QStringList shown;
    const std::function<void()> leaves[] = {
        [&] {
            dialog().BackupDrive->setDrive("D:");
            openFolder("Palm");
            openFolder("Owner");
            dialog().CancelButton->click();
        },
        [&] { dialog().OKButton->click(); },
    };
    for (const auto& leave : leaves) {
        EXPECT_EQ(state().UserFolder, "C:\\PALM\\User1");
        EXPECT_EQ(databases(), QStringList({"Family"}));
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(dialog().isModal());
            shown.append(dialog().BackupDir->Path());
            leave();
        });
        form().BrowseS(2)->click();
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_EQ(state().DriveSpec, "D:");
    }
    EXPECT_EQ(shown, QStringList({"C:\\PALM\\User1", "D:\\Palm\\Owner"}));
    EXPECT_EQ(entries(dialog().BackupDrive->model()), QStringList({"c:", "d: [FAMILY]"}));
    EXPECT_EQ(state().UserFolder, "D:\\Palm\\Owner");
    EXPECT_EQ(form().Backup(2)->text(), "D:\\Palm\\Owner");
    EXPECT_EQ(databases(), QStringList({"Smith"}));
}

// Faults of the host met on real files: the windows keep running, say what the user must know and lose no
// saved choice.

// The reasons a replacement fails are the file system's (a folder in the way, read-only, hidden); here
// the window: a read-only file is still read at start, and Exit keeps it, naming it and the reason.
TEST_F(WindowTest, SettingsFileThatCannotBeReplacedIsKeptAndExitNamesItAndTheReason) {
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
    const QByteArray old = settingsFile("C:\\PALM\\Old", "", "", "");
    const QString file = drives.makeFile('C', "Conv/Famlore.ini", old);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther);
    start();
    // The old file names a user folder that is gone.
    EXPECT_EQ(state().UserFolder, "C:");
    QSignalSpy ended(&form(), &MainForm::exitRequested);
    form().Exit(1)->click();
    EXPECT_EQ(ended.count(), 1) << "the window must ask to end whether or not the file was written";
    expectWarnings(1, {"C:\\Conv\\Famlore.ini", "read-only"});
    EXPECT_EQ(drives.readHostFile(file), old);
}

TEST_F(WindowTest, SavedUserFolderOnADanglingDriveIsReportedWhenTheDialogOpensAndTheDialogStaysUsable) {
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
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
TEST_F(WindowTest, SymbolicLinkLoopsArePassedByAndTheListAndTheDialogStillWork) {
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
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
TEST_F(WindowTest, StartedInAFolderWhoseNameIsNotValidOnTheHostStartUpRefusesNamingIt) {
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
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
