#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
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

    QImage icon(int row) { return dialog().BackupDir->item(row)->icon().pixmap(16).toImage(); }
    QImage styleIcon(QStyle::StandardPixmap which) {
        return dialog().style()->standardIcon(which).pixmap(16).toImage();
    }
};

TEST_F(BackupDialogTest, CaptionsLayoutTabOrderAndFocusFollowTheDesignAndEscapeClosesNothing) {
    start();
    EXPECT_EQ(dialog().windowTitle(), "Please select your User Folder");
    EXPECT_EQ(dialog().size(), QSize(402, 260));
    EXPECT_EQ(dialog().OKButton->text(), "OK");
    EXPECT_EQ(dialog().CancelButton->text(), "Cancel");
    EXPECT_TRUE(dialog().OKButton->isDefault());
    EXPECT_EQ(dialog().BackupDir->geometry(), QRect(8, 12, 289, 201));
    EXPECT_EQ(dialog().BackupDrive->geometry(), QRect(8, 224, 289, 21));

    dialog().show();
    QApplication::setActiveWindow(&dialog());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog()));
    EXPECT_EQ(QApplication::focusWidget(), dialog().OKButton);
    const QWidget* order[] = {dialog().CancelButton, dialog().BackupDir, dialog().BackupDrive,
                              dialog().OKButton};
    for (const QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    QTest::keyClick(&dialog(), Qt::Key_Escape);
    EXPECT_TRUE(dialog().isVisible());
}

// The icon theme's first look-up costs start-up time, so a list nobody sees yet goes without icons.
TEST_F(BackupDialogTest, ShowsTheUserFolderItsAncestorsAndVisibleSubfoldersWithIconsOnlyOnceShown) {
    drives.makeFolder('C', "PALM/User1/INSTALL");
    drives.makeFolder('C', "PALM/User1/.hidden");
    start();
    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\User1");
    ASSERT_EQ(folderItems(), QStringList({"C:\\", "PALM", "User1", "BACKUP", "INSTALL"}));
    EXPECT_EQ(dialog().BackupDir->currentItem()->text().trimmed(), "User1");
    for (int row = 0; row < dialog().BackupDir->count(); ++row)
        EXPECT_TRUE(dialog().BackupDir->item(row)->icon().isNull()) << row;

    dialog().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog()));
    const QImage open = styleIcon(QStyle::SP_DirOpenIcon);
    const QImage closed = styleIcon(QStyle::SP_DirClosedIcon);
    ASSERT_NE(open, closed);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(icon(row), row < 3 ? open : closed) << row;
    // Folders opened while the dialog is shown get their icons at once.
    openFolder("PALM");
    EXPECT_EQ(icon(1), open);
    EXPECT_EQ(icon(2), closed);
}

TEST_F(BackupDialogTest, OkTakesTheFolderShownEvenTheOneInUseAndListsItsDatabasesAfresh) {
    start();
    makeDatabase('C', "PALM/User1/BACKUP", "New");
    struct Step {
        const char* drive; // nullptr: the drive stays
        QStringList opened;
        QString userFolder;
        QStringList databases;
        bool browseI;
    };
    const Step steps[] = {
        {nullptr, {}, "C:\\PALM\\User1", {"Family", "New"}, true},
        {"d:", {"Palm", "Owner"}, "D:\\Palm\\Owner", {"Smith"}, true},
        // A drive root is shown as "C:\" but taken as the bare drive.
        {"C:", {"C:\\"}, "C:", {}, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.userFolder.toStdString());
        dialog().show();
        if (step.drive) {
            dialog().BackupDrive->setDrive(step.drive);
            EXPECT_EQ(state.DriveSpec, QString(step.drive).toUpper());
        }
        for (const QString& folder : step.opened)
            openFolder(folder);
        EXPECT_TRUE(dialog().isVisible()) << "Enter in the folder list must not press OK";
        dialog().OKButton->click();

        EXPECT_FALSE(dialog().isVisible());
        EXPECT_EQ(state.UserFolder, step.userFolder);
        EXPECT_EQ(form().Backup(2)->text(), step.userFolder);
        EXPECT_EQ(databases(), step.databases);
        EXPECT_EQ(form().BrowseI(1)->isEnabled(), step.browseI);
    }
}

// Each opening records where the dialog stands, moves it on and leaves it by Cancel, the close control
// and OK in turn.
TEST_F(BackupDialogTest, BrowseSOpensItModallyWhereItWasLeftAndOnlyOkChangesTheUserFolder) {
    start();
    ASSERT_FALSE(dialogPtr->isBuilt()) << "start-up must not build a dialog nobody has opened yet";
    QStringList shown;
    const std::function<void()> leaves[] = {
        [&] {
            dialog().BackupDrive->setDrive("D:");
            openFolder("Palm");
            dialog().CancelButton->click();
        },
        [&] {
            openFolder("Owner");
            dialog().close();
        },
        [&] { dialog().OKButton->click(); },
    };
    for (const auto& leave : leaves) {
        EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
        EXPECT_EQ(form().Backup(2)->text(), "C:\\PALM\\User1");
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
    EXPECT_EQ(shown, QStringList({"C:\\PALM\\User1", "D:\\Palm", "D:\\Palm\\Owner"}));
    EXPECT_EQ(state.UserFolder, "D:\\Palm\\Owner");
    EXPECT_EQ(databases(), QStringList({"Smith"}));
}

// The built dialog is a child window of the main window and is also held by the object that built it;
// whichever of the two goes first, the dialog is deleted once.
TEST_F(BackupDialogTest, MainWindowMayGoBeforeTheDialogsHolder) {
    start();
    ASSERT_TRUE(dialog().isHidden());
    formPtr.reset();
    dialogPtr.reset();
}

} // namespace
} // namespace fambridge
