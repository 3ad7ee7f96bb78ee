#include "end_to_end_test.h"

#include <QFile>

namespace fambridge::e2e {
namespace {

using fambridge::testing::ConverterRecord;

using Import = EndToEndTest;
using Export = EndToEndTest;
using MissingConverter = EndToEndTest;

// A user folder whose last import file was saved, so that Import is enabled from the start.
const QStringList kSavedImport = {
    R"("FAMBRIDGE","1.40")", R"("C:\PALM\User1")", R"("C:\Gen")", R"("tree.ged")", "", "", ""};

TEST_F(Import, DeletesTheOldInstallDatabaseAndStartsFLImportWithInstallFolderFileAndAppFolder) {
    drives.makeFolder('C', "PALM/User1/Backup");
    const QString oldDatabase = drives.makeFile('C', "PALM/User1/Install/famlorim.pdb", "old");
    drives.makeFile('C', "Gen/tree.ged");
    writeSettings(kSavedImport);
    const QString flImport = installConverter("FLImport");
    startProgram();

    // The focus starts on Exit; Import follows it.
    screen.pressKeys(mainWindow, {"Tab", "Return"});

    const ConverterRecord record = converterRecord(flImport);
    EXPECT_EQ(record.arguments, QStringList({R"(C:\PALM\User1\INSTALL)", R"(C:\Gen\tree.ged)", kAppFolder}));
    EXPECT_EQ(record.fambridgePrefix, drives.prefix());
    EXPECT_EQ(record.winePrefix, drives.prefix());
    EXPECT_FALSE(QFile::exists(oldDatabase));

    // Exit is one step back from Import.
    screen.pressKeys(mainWindow, {"shift+Tab", "Return"});
    expectProgramEnds();
}

TEST_F(Export, PickedDatabaseAndFileTypedInTheSaveDialogReachFLExport) {
    drives.makeFile('C', "PALM/User1/Backup/FamilyP.PDB");
    drives.makeFile('C', "PALM/User1/Backup/FamilyE.PDB");
    const QString flExport = installConverter("FLExport");
    startProgram();

    // From Exit past the enabled import Browse... and the user folder's Browse... to the database list,
    // whose first entry Down picks; that enables the export Browse... two steps back.
    screen.pressKeys(mainWindow, {"Tab", "Tab", "Tab", "Down", "shift+Tab", "shift+Tab"});
    // A name without extension gets the dialog's default one; the folder is the current one.
    exportTo("tree");

    const ConverterRecord record = converterRecord(flExport);
    EXPECT_EQ(record.arguments, QStringList({R"(C:\PALM\User1\BACKUP)", R"(C:\Conv\tree.GED)", "Family"}));
    EXPECT_EQ(record.fambridgePrefix, drives.prefix());

    screen.pressKeys(mainWindow, {"Tab", "Return"});
    expectProgramEnds();
}

TEST_F(MissingConverter, ShowsAMessageAndTheProgramGoesOnToExitNormally) {
    drives.makeFolder('C', "PALM/User1/Backup");
    drives.makeFile('C', "Gen/tree.ged");
    writeSettings(kSavedImport);
    startProgram();

    screen.pressKeys(mainWindow, {"Tab", "Return"});

    // The message box carries the main window's title.
    const WindowId message = screen.waitForNewWindow(kMainWindowTitle, {mainWindow});
    EXPECT_TRUE(programRunning());
    screen.pressKeys(message, {"Return"});
    screen.waitUntilGone(message, kMainWindowTitle);
    EXPECT_TRUE(programRunning());

    clickControl(mainWindow, kExitButton);
    expectProgramEnds();
    EXPECT_EQ(readSettings(), settingsText(kSavedImport));
}

} // namespace
} // namespace fambridge::e2e
