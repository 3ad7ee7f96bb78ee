#include "test_table.h"
#include "ui/ged_file_dialog.h"
#include "ui/typed_file_name.h"
#include "unprivileged.h"
#include "window_fixture.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

namespace fambridge {
namespace {

// The dialog shows D:\Gen; the program's current folder is C:\Conv.
class TypedNameTest : public testing::WindowFixture {
protected:
    void SetUp() override {
        drives.makeFile('D', "Gen/tree.ged");
        drives.makeFile('D', "Gen/out.ged");
        drives.makeFile('D', "Gen/README");
        QFile::setPermissions(drives.makeFile('D', "Gen/locked.ged"), QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(drives.makeFolder('D', "Shut"),
                              QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        drives.makeFile('C', "Genealogy/tree.ged");
        drives.makeFile('C', "Conv/Tree.ged");
        makeDatabase('C', "PALM/User1/BACKUP", "Family");
        start();
        form().DBList->setCurrentIndex(0);
        emit form().DBList->activated(0);
        form().BrowseI(1)->click();
        form().BrowseE(0)->click();
        ASSERT_EQ(runner.requests.size(), 2u);
    }

    // The main window's request to open or save, as its Browse... buttons made it.
    const FileDialogRequest& request(bool save) const { return runner.requests.at(save); }

    // What Open or Save does with the text typed while the dialog shows D:\Gen.
    QString read(bool save, const QString& typed) {
        const TypedFileChoice choice = TypedFileName::read(drives.fileSystem(), request(save),
                                                           *drives.fileSystem().parse("D:\\Gen"), typed);
        static const char* const kActions[] = {"take", "ask", "refuse", "show", "filter"};
        return QStringLiteral("%1 %2 %3")
            .arg(kActions[int(choice.action)], choice.path, choice.text.split('\n').join('|'))
            .trimmed();
    }
};

constexpr bool kSave = true;

// What the user types is read as Windows reads it and checked through the program's own look-up, so that
// letter case does not matter and a Windows path can be typed.
TEST_F(TypedNameTest, IsReadAsWindowsReadsIt) {
    for (const QString& row : testing::tableRows("typed_names.txt")) {
        const QString typed = row.section(" = ", 0, 0);
        EXPECT_EQ(read(typed.startsWith("save "), typed.mid(5)), row.section(" = ", 1)) << row.toStdString();
    }
}

// A folder that cannot be written stops only an unprivileged user.
TEST_F(TypedNameTest, SaveIntoAFolderThatCannotBeWrittenIsRefused) {
    if (testing::rerunUnprivileged())
        return;
    EXPECT_EQ(read(kSave, "D:\\shut\\new"),
              QStringLiteral(
                  "refuse  new.GED|This folder cannot be written to.|Try again with a different file name."));
}

// The dialog shows DOS paths and drives only, never climbs above a drive's root, lists the type of file
// chosen without regard to letter case, and puts a typed name through the reader above, asking its
// question through the program's messages.
TEST_F(TypedNameTest, DialogShowsOnlyDrivesAndDosPathsAndTakesATypedNameAfterTheQuestion) {
    drives.makeFile('D', "Gen/NOTES.GED");
    drives.makeFile('D', "Gen/notes.txt");
    FileDialogRequest saving = request(kSave);
    saving.folder = "D:\\Gen";
    GedFileDialog dialog(drives.fileSystem(), saving);
    dialog.show();
    const auto shown = [&dialog] {
        QStringList texts;
        for (int row = 0; row < dialog.lookIn()->count(); ++row)
            texts.append(dialog.lookIn()->itemText(row));
        texts.append("|");
        for (int row = 0; row < dialog.files()->count(); ++row)
            texts.append(dialog.files()->item(row)->text());
        return texts.join(' ');
    };
    EXPECT_EQ(shown(), "C: D: D:\\Gen | locked.ged NOTES.GED out.ged tree.ged");
    dialog.upButton()->click();
    EXPECT_FALSE(dialog.upButton()->isEnabled());
    QTest::keyClick(dialog.files(), Qt::Key_Backspace);
    EXPECT_EQ(dialog.folder(), "D:\\");
    EXPECT_EQ(shown(), "C: D: | Gen Shut");

    dialog.files()->setCurrentRow(0);
    QTest::keyClick(dialog.files(), Qt::Key_Return);
    EXPECT_EQ(dialog.folder(), "D:\\Gen");
    MessageBox::setNextAnswer(MessageBox::Yes);
    QTest::keyClicks(dialog.fileName(), "OUT");
    QTest::keyClick(dialog.fileName(), Qt::Key_Return);
    expectWarnings(1, {"out.ged already exists."});
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosen(), "D:\\Gen\\out.ged");
}

} // namespace
} // namespace fambridge
