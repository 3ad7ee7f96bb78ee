#include "window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace fambridge {
namespace {

class BackupDialogTest : public testing::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
        drives.makeFile('D', "Palm/Owner/Backup/SmithP.PDB");
        drives.makeFile('D', "Palm/Owner/Backup/SmithE.PDB");
    }

    QStringList databases() {
        QStringList names;
        for (int i = 0; i < form().DBList->count(); ++i)
            names.append(form().DBList->itemText(i));
        return names;
    }

    QStringList folderItems() {
        QStringList items;
        for (int i = 0; i < dialog().BackupDir->count(); ++i)
            items.append(dialog().BackupDir->item(i)->text().trimmed());
        return items;
    }

    void openFolderNamed(const QString& name) {
        const auto found = dialog().BackupDir->findItems(name, Qt::MatchEndsWith);
        ASSERT_FALSE(found.isEmpty()) << name.toStdString();
        dialog().BackupDir->setCurrentItem(found.front());
        QTest::keyClick(dialog().BackupDir, Qt::Key_Return);
    }
};

TEST_F(BackupDialogTest, DesignCaptionLayoutAndFocus) {
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
}

TEST_F(BackupDialogTest, StartUpShowsTheUserFolderWithItsAncestorsAndSubfolders) {
    drives.makeFolder('C', "PALM/User1/INSTALL");
    drives.makeFolder('C', "PALM/User1/.hidden");
    start();
    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\User1");
    EXPECT_EQ(folderItems(), QStringList({"C:\\", "PALM", "User1", "BACKUP", "INSTALL"}));
    EXPECT_EQ(dialog().BackupDir->currentItem()->text().trimmed(), "User1");
}

TEST_F(BackupDialogTest, OkOnAnotherFolderTakesItAndRebuildsTheList) {
    start();
    dialog().show();
    dialog().BackupDrive->setDrive("d:");
    EXPECT_EQ(state.DriveSpec, "D:");
    openFolderNamed("Palm");
    openFolderNamed("Owner");
    EXPECT_TRUE(dialog().isVisible()) << "Enter in the folder list must not press OK";
    dialog().OKButton->click();

    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(state.UserFolder, "D:\\Palm\\Owner");
    EXPECT_EQ(form().Backup(2)->text(), "D:\\Palm\\Owner");
    EXPECT_EQ(databases(), QStringList({"Smith"}));
    EXPECT_TRUE(form().BrowseI(1)->isEnabled());
}

TEST_F(BackupDialogTest, OkOnADriveRootGivesTheBareDrive) {
    start();
    dialog().show();
    openFolderNamed("C:\\");
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\");
    dialog().OKButton->click();
    EXPECT_EQ(state.UserFolder, "C:");
    EXPECT_EQ(form().Backup(2)->text(), "C:");
}

TEST_F(BackupDialogTest, CancelAndTheCloseControlChangeNothingButKeepTheDialogWhereItWas) {
    start();
    for (const bool useCloseControl : {false, true}) {
        SCOPED_TRACE(useCloseControl);
        dialog().show();
        dialog().BackupDrive->setDrive("D:");
        openFolderNamed("Palm");
        if (useCloseControl)
            dialog().close();
        else
            dialog().CancelButton->click();
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
        EXPECT_EQ(form().Backup(2)->text(), "C:\\PALM\\User1");
        EXPECT_EQ(databases(), QStringList({"Family"}));
        EXPECT_EQ(state.DriveSpec, "D:");
        EXPECT_EQ(dialog().BackupDrive->Drive(), "d:");
        EXPECT_EQ(dialog().BackupDir->Path(), "D:\\Palm");
        dialog().BackupDrive->setDrive("C:");
    }
}

TEST_F(BackupDialogTest, EscapeDoesNotCloseTheDialog) {
    start();
    dialog().show();
    QTest::keyClick(&dialog(), Qt::Key_Escape);
    EXPECT_TRUE(dialog().isVisible());
}

TEST_F(BackupDialogTest, OkWithoutChangesStillRebuildsTheList) {
    start();
    drives.makeFile('C', "PALM/User1/BACKUP/NewP.PDB");
    drives.makeFile('C', "PALM/User1/BACKUP/NewE.PDB");
    dialog().show();
    dialog().OKButton->click();
    EXPECT_EQ(databases(), QStringList({"Family", "New"}));
}

TEST_F(BackupDialogTest, BrowseSBuildsTheDialogAndOpensItModallyWithTheLastDriveAndFolder) {
    start();
    ASSERT_FALSE(dialogPtr->isBuilt()) << "start-up must not build a dialog nobody has opened yet";
    QString shownPath;
    QTimer::singleShot(0, [&] {
        shownPath = dialog().BackupDir->Path();
        dialog().BackupDrive->setDrive("D:");
        dialog().CancelButton->click();
    });
    form().BrowseS(2)->click();
    EXPECT_EQ(shownPath, "C:\\PALM\\User1");

    QTimer::singleShot(0, [&] {
        shownPath = dialog().BackupDir->Path();
        EXPECT_TRUE(dialog().isModal());
        dialog().OKButton->click();
    });
    form().BrowseS(2)->click();
    EXPECT_EQ(shownPath, "D:\\");
    EXPECT_EQ(state.UserFolder, "D:");
}

TEST_F(BackupDialogTest, UnreadableDriveIsReportedAndTheDialogStaysUsable) {
    drives.drive('E');
    QFile::remove(drives.prefix() + "/dosdevices/e:");
    QFile::link(drives.prefix() + "/nowhere", drives.prefix() + "/dosdevices/e:");
    start();
    dialog().show();
    dialog().BackupDrive->setDrive("E:");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("E:")) << warnings[0].toStdString();
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\User1");
    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");
    openFolderNamed("PALM");
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM");
}

} // namespace
} // namespace fambridge
