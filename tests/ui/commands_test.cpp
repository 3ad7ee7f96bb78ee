#include "converter_stand_in.h"
#include "unprivileged.h"
#include "window_fixture.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

namespace fambridge {
namespace {

class CommandsTest : public testing::WindowFixture {
protected:
    // A user folder with one database, the two stand-in converters in the application folder.
    void startWithConverters(const QString& appFolder = QStringLiteral("Conv")) {
        makeDatabase('C', "PALM/User1/BACKUP", "Family");
        const QString app = drives.makeFolder('C', appFolder);
        flImport = testing::installStandIn(app, "FLImport");
        flExport = testing::installStandIn(app, "FLExport");
        start(appFolder);
    }

    // Removes the record afterwards, so that the next press must start the converter again.
    QStringList argumentsOf(const QString& program) {
        const auto record = testing::waitForRecord(program);
        QFile::remove(program + ".out");
        if (!record) {
            ADD_FAILURE() << program.toStdString() << " was not started";
            return {};
        }
        EXPECT_EQ(record->winePrefix, drives.prefix());
        EXPECT_EQ(record->fambridgePrefix, drives.prefix());
        return record->arguments;
    }

    QString flImport;
    QString flExport;
};

// Export runs first for every case and must delete nothing; each press must start a further converter.
TEST_F(CommandsTest, ConvertersReceiveTheirFieldsExactlyAsTheyStandAndOnlyImportDeletesTheInstallFile) {
    struct Case {
        const char* name;
        const char* userFolder;
        const char* file;
        const char* databaseName;
    };
    // A shell or a command line between the program and the converter would split, expand or unquote these.
    const Case cases[] = {
        {"blanks, quotes and shell characters", "C:\\PALM\\User1", "D:\\My \"quoted\";b\\$(id)`x`.ged",
         "Say \"hi\" a|c&d"},
        {"non-ASCII letters", "C:\\PALM\\Müller", "D:\\Généalogie\\数据.ged", "Ørsted"},
        {"no user folder and an empty database name", "C:", "D:\\tree.ged", ""},
    };
    // Found in any letter case, in the user folder's INSTALL or, without a user folder, at the root.
    const QStringList installFiles = {drives.makeFile('C', "PALM/User1/Install/famlorim.pdb", "stale"),
                                      drives.makeFile('C', "INSTALL/FAMLORIM.PDB", "stale")};
    // From an application folder at the drive root: start-up joins "C:\" and "\Famlore.ini" as they stand.
    startWithConverters("");
    EXPECT_EQ(state.IniPath, "C:\\\\Famlore.ini");
    for (const bool import : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (import ? " import" : " export"));
            state.UserFolder = QString::fromUtf8(c.userFolder);
            state.ImportFile = state.ExportFile = QString::fromUtf8(c.file);
            state.DatabaseName = QString::fromUtf8(c.databaseName);
            form().setImportEnabled(true);
            form().setExportEnabled(true);
            if (import) {
                form().Import(0)->click();
                EXPECT_EQ(argumentsOf(flImport),
                          QStringList({state.UserFolder + "\\INSTALL", state.ImportFile, "C:\\"}));
            } else {
                form().Export(1)->click();
                EXPECT_EQ(argumentsOf(flExport),
                          QStringList({state.UserFolder + "\\BACKUP", state.ExportFile, state.DatabaseName}));
            }
        }
        for (const QString& installFile : installFiles)
            EXPECT_EQ(QFile::exists(installFile), !import) << installFile.toStdString();
    }
    EXPECT_EQ(warnings, QStringList());
}

// Permission bits stop nothing for root, so the test reruns itself as the user nobody.
TEST_F(CommandsTest, ImportThatCannotRemoveTheOldInstallFileSaysWhyAndStartsNothing) {
    if (testing::rerunUnprivileged())
        return;
    const QString installFile = drives.makeFile('C', "PALM/User1/INSTALL/FAMLORIM.PDB", "stale");
    startWithConverters();
    const QString installFolder = drives.host('C', "PALM/User1/INSTALL");
    ASSERT_TRUE(QFile::setPermissions(installFolder, QFile::ReadOwner | QFile::ExeOwner));
    state.ImportFile = "D:\\tree.ged";
    form().setImportEnabled(true);
    form().Import(0)->click();
    QFile::setPermissions(installFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    expectWarnings(1, {"C:\\PALM\\User1\\INSTALL\\FAMLORIM.PDB"});
    EXPECT_TRUE(QFile::exists(installFile));
    EXPECT_FALSE(testing::waitForRecord(flImport, 500));
}

// The flags are the ones the dialog maps to its checks: a file that must exist, no read-only file and
// the overwrite question.
TEST_F(CommandsTest, BrowseDialogsAskForTheirTitleFlagsFolderAndPresetNameAndCancelKeepsTheEarlierChoice) {
    drives.makeFile('C', "Gen/tree.ged");
    drives.makeFolder('C', "Out");
    drives.makeFile('C', "Conv/Famlore.ini",
                    testing::settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", "Family"));
    startWithConverters();
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
    startWithConverters();
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
