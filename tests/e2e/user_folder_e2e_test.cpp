#include "end_to_end_test.h"

namespace fambridge::e2e {
namespace {

using fambridge::testing::ConverterRecord;

// Settings that name a user folder and nothing else.
QStringList settingsNaming(const QString& userFolder) {
    return {R"("FAMBRIDGE","1.40")", '"' + userFolder + '"', "", "", "", "", ""};
}

// Two user folders side by side; the program starts on the first, whose database list is empty.
class UserFolderDialog : public EndToEndTest {
protected:
    void SetUp() override {
        EndToEndTest::SetUp();
        drives.makeFolder('C', "PALM/User1/Backup");
        drives.makeFile('C', "PALM/User2/Backup/SecondP.PDB");
        drives.makeFile('C', "PALM/User2/Backup/SecondE.PDB");
        writeSettings(settingsNaming(R"(C:\PALM\User1)"));
    }

    // Opens the dialog with the user folder's Browse... and walks its folder list from User1 to User2;
    // the dialog is left open.
    WindowId openDialogAndGoToUser2() {
        // The focus starts on Exit; the import Browse... and then the user folder's Browse... follow it.
        screen.pressKeys(mainWindow, {"Tab", "Tab", "Return"});
        const WindowId dialog = screen.waitForNewWindow(kUserFolderDialogTitle);
        // Past Cancel to the folder list, where User1 is current: up to PALM and open it, which lists
        // User1 and User2 beneath it; down to User2 and open that.
        screen.pressKeys(dialog, {"Tab", "Tab", "Up", "Return", "Down", "Down", "Return"});
        return dialog;
    }
};

TEST_F(UserFolderDialog, OKTakesTheFolderChosenByKeyboardAndExitSavesIt) {
    startProgram();
    const WindowId dialog = openDialogAndGoToUser2();

    // From the folder list past the drive list round to OK.
    screen.pressKeys(dialog, {"Tab", "Tab", "Return"});
    screen.waitUntilGone(dialog, kUserFolderDialogTitle);
    // The focus is back on the user folder's Browse...; Exit is two steps back.
    screen.pressKeys(mainWindow, {"shift+Tab", "shift+Tab", "Return"});

    expectProgramEnds();
    EXPECT_EQ(readSettings(), settingsText(settingsNaming(R"(C:\PALM\User2)")));
}

TEST_F(UserFolderDialog, CloseBoxKeepsTheFolderInUseAsCancelDoes) {
    startProgram();
    const WindowId dialog = openDialogAndGoToUser2();

    screen.pressCloseBox(dialog);
    screen.waitUntilGone(dialog, kUserFolderDialogTitle);
    screen.pressKeys(mainWindow, {"shift+Tab", "shift+Tab", "Return"});

    expectProgramEnds();
    EXPECT_EQ(readSettings(), settingsText(settingsNaming(R"(C:\PALM\User1)")));
}

// As on Windows, Enter presses the button that has the focus: on Cancel it cancels, although OK is the
// dialog's default button.
TEST_F(UserFolderDialog, EnterOnTheFocusedCancelKeepsTheFolderInUse) {
    startProgram();
    const WindowId dialog = openDialogAndGoToUser2();

    // From the folder list back to Cancel.
    screen.pressKeys(dialog, {"shift+Tab", "Return"});
    screen.waitUntilGone(dialog, kUserFolderDialogTitle);
    screen.pressKeys(mainWindow, {"shift+Tab", "shift+Tab", "Return"});

    expectProgramEnds();
    EXPECT_EQ(readSettings(), settingsText(settingsNaming(R"(C:\PALM\User1)")));
}

TEST_F(UserFolderDialog, FLExportGetsTheBackupFolderAndDatabaseOfTheFolderClickedOKFor) {
    const QString flExport = installConverter("FLExport");
    startProgram();
    const WindowId dialog = openDialogAndGoToUser2();

    clickControl(dialog, kOKButton);
    screen.waitUntilGone(dialog, kUserFolderDialogTitle);
    // The new folder's one database is the list's first entry; picking it enables the export Browse...
    screen.pressKeys(mainWindow, {"Tab", "Down", "shift+Tab", "shift+Tab"});
    exportTo("out.ged");

    const ConverterRecord record = converterRecord(flExport);
    EXPECT_EQ(record.arguments, QStringList({R"(C:\PALM\User2\BACKUP)", R"(C:\Conv\out.ged)", "Second"}));

    screen.pressKeys(mainWindow, {"Tab", "Return"});
    expectProgramEnds();
    EXPECT_EQ(readSettings(), settingsText({R"("FAMBRIDGE","1.40")", R"("C:\PALM\User2")", "", "",
                                            R"("C:\Conv")", R"("out.ged")", R"("Second")"}));
}

} // namespace
} // namespace fambridge::e2e
