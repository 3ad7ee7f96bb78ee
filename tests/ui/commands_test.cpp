#include "window_fixture.h"

#include <QLabel>
#include <QTemporaryDir>

namespace fambridge {
namespace {

class CommandsTest : public testing::WindowFixture {
protected:
    // A user folder with one database, and no converters in the application folder.
    void startWithUserFolder() {
        makeDatabase('C', "PALM/User1/BACKUP", "Family");
        start();
    }
};

// The commands themselves are tested without a window; the window's part is to show why one failed.
TEST_F(CommandsTest, ImportAndExportThatCannotStartTheirConverterEachSayWhich) {
    start();
    state.ImportFile = "D:\\tree.ged";
    state.ExportFile = "D:\\out.ged";
    form().setImportEnabled(true);
    form().setExportEnabled(true);
    form().Import(0)->click();
    expectWarnings(1, {"FLImport", "C:\\Conv"});
    form().Export(1)->click();
    expectWarnings(2, {"FLExport", "C:\\Conv"});
}

// The flags are the ones the dialog maps to its checks: a file that must exist, no read-only file and
// the overwrite question.
TEST_F(CommandsTest, BrowseDialogsAskForTheirTitleFlagsFolderAndPresetNameAndCancelKeepsTheEarlierChoice) {
    drives.makeFile('C', "Gen/tree.ged");
    drives.makeFolder('C', "Out");
    drives.makeFile('C', "Conv/Famlore.ini",
                    testing::settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", "Family"));
    startWithUserFolder();
    form().BrowseI(1)->click();
    form().BrowseE(0)->click();
    ASSERT_EQ(runner->requests.size(), 2u);
    const auto summary = [](const FileDialogRequest& r) {
        return QStringList({r.save ? "save" : "open", r.title, QString::number(r.flags.toInt()), r.folder,
                            r.fileName, r.nameFilters.join('|'), r.defaultSuffix});
    };
    const QString filters = "GED Files (*.ged)|All Files (*)";
    EXPECT_EQ(summary(runner->requests[0]),
              QStringList({"open", "Select GED File To Import From", "4100", drives.host('C', "Gen"),
                           "tree.ged", filters, "GED"}));
    EXPECT_EQ(summary(runner->requests[1]),
              QStringList({"save", "Select GED File To Export To", "32774", drives.host('C', "Out"),
                           "family.ged", filters, "GED"}));
    EXPECT_EQ(state.ImportFile, "C:\\Gen\\tree.ged");
    EXPECT_EQ(state.ExportFile, "C:\\Out\\family.ged");

    runner->answers.push_back(drives.host('C', "Out/new.ged"));
    form().BrowseE(0)->click();
    EXPECT_EQ(state.ExportFile, "C:\\Out\\new.ged");
    EXPECT_EQ(form().ToFilename(0)->text(), "C:\\Out\\new.ged");
}

TEST_F(CommandsTest, FileChosenUnderNoDriveIsRefusedLikeACancelAndOneOnADriveIsTakenAndShown) {
    drives.makeFile('D', "Gen/tree.ged");
    startWithUserFolder();
    QTemporaryDir outside;
    runner->answers = {outside.path() + "/tree.ged", drives.host('D', "Gen/tree.ged")};
    form().BrowseI(1)->click();
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_FALSE(form().Import(0)->isEnabled());
    expectWarnings(1, {outside.path()});

    form().BrowseI(1)->click();
    EXPECT_EQ(state.ImportFile, "D:\\Gen\\tree.ged");
    EXPECT_EQ(form().FromFilename(1)->text(), "D:\\Gen\\tree.ged");
    EXPECT_TRUE(form().Import(0)->isEnabled());
}

} // namespace
} // namespace fambridge
