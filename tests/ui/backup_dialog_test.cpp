#include "window_fixture.h"

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace fambridge {
namespace {

class BackupDialogTest : public testing::WindowFixture {
protected:
    void SetUp() override {
        makeDatabase('C', "PALM/User1/BACKUP", "Family");
        makeDatabase('D', "Palm/Owner/Backup", "Smith");
    }
};

// Hidden folders stay out, as they are out of a Windows listing. OK on the folder already in use must
// still list its databases afresh; a drive root is shown as "C:\" but taken as the bare drive, which names
// no folder while C:'s current folder, the application folder, lies below the root: as on Windows, the
// list then stays as it was.
TEST_F(BackupDialogTest, ShowsTheUserFolderItsAncestorsAndVisibleSubfoldersAndOkTakesTheOneShownAfresh) {
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
    EXPECT_EQ(state.UserFolder, "C:");
    EXPECT_EQ(form().Backup(2)->text(), "C:");
    EXPECT_EQ(databases(), QStringList({"Family", "New"}));
    EXPECT_FALSE(form().BrowseI(1)->isEnabled());
}

// Cancel leaves the user folder alone but not the place the dialog was moved to.
TEST_F(BackupDialogTest, BrowseSOpensItModallyWhereItWasLeftAndOnlyOkChangesTheUserFolder) {
    start();
    ASSERT_FALSE(dialogPtr->isBuilt()) << "start-up must not build a dialog nobody has opened yet";
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
        EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
        EXPECT_EQ(databases(), QStringList({"Family"}));
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(dialog().isModal());
            shown.append(dialog().BackupDir->Path());
            leave();
        });
        form().BrowseS(2)->click();
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_EQ(state.DriveSpec, "D:");
    }
    EXPECT_EQ(shown, QStringList({"C:\\PALM\\User1", "D:\\Palm\\Owner"}));
    EXPECT_EQ(state.UserFolder, "D:\\Palm\\Owner");
    EXPECT_EQ(form().Backup(2)->text(), "D:\\Palm\\Owner");
    EXPECT_EQ(databases(), QStringList({"Smith"}));
}

// The built dialog is a child window of the main window and is also held by the object that built it;
// whichever of the two goes first, the dialog goes with it, and the holder no longer claims it.
TEST_F(BackupDialogTest, DialogGoesWithWhicheverOfItsTwoOwnersGoesFirst) {
    for (const bool windowFirst : {true, false}) {
        SCOPED_TRACE(windowFirst ? "main window first" : "holder first");
        start();
        const QPointer<BackupDialog> built = &dialog();
        ASSERT_TRUE(built->isHidden());
        if (windowFirst) {
            formPtr.reset();
            EXPECT_TRUE(built.isNull());
            EXPECT_FALSE(dialogPtr->isBuilt());
            dialogPtr.reset();
        } else {
            dialogPtr.reset();
            EXPECT_TRUE(built.isNull());
            EXPECT_TRUE(form().findChildren<BackupDialog*>().isEmpty());
            formPtr.reset();
        }
    }
}

} // namespace
} // namespace fambridge
