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
    const Case cases[] = {
        {"blanks", "C:\\PALM\\My User", "D:\\My Files\\my tree.ged", "My Family"},
        {"quotes", "C:\\PALM\\User1", "D:\\\"quoted\" tree.ged", "Say \"hi\""},
        {"shell characters", "C:\\PALM\\$HOME", "D:\\a;b\\$(id)`x`.ged", "a;b|c&d"},
        {"non-ASCII letters", "C:\\PALM\\Müller", "D:\\Généalogie\\数据.ged", "Ørsted"},
        {"no user folder", "C:", "D:\\tree.ged", "Family"},
        {"empty database name", "C:\\PALM\\User1", "D:\\tree.ged", ""},
    };
    // Found in any letter case, in the user folder's INSTALL or, without a user folder, at the root.
    const QStringList installFiles = {drives.makeFile('C', "PALM/User1/Install/famlorim.pdb", "stale"),
                                      drives.makeFile('C', "INSTALL/FAMLORIM.PDB", "stale")};
    startWithConverters();
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
                          QStringList({state.UserFolder + "\\INSTALL", state.ImportFile, "C:\\Conv"}));
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

// Start-up joins "C:\" and "\Famlore.ini" as they stand.
TEST_F(CommandsTest, ApplicationFolderAtADriveRootStillReadsItsSettingsAndKeepsItsBackslash) {
    drives.makeFolder('C', "Saved");
    drives.makeFile('C', "Famlore.ini", testing::settingsFile("C:\\Saved", "D:\\Gen", "", ""));
    startWithConverters("");
    EXPECT_EQ(state.AppDir, "C:\\");
    EXPECT_EQ(state.IniPath, "C:\\\\Famlore.ini");
    EXPECT_EQ(state.UserFolder, "C:\\Saved");
    form().Import(0)->click();
    EXPECT_EQ(argumentsOf(flImport), QStringList({"C:\\Saved\\INSTALL", "D:\\Gen\\tree.ged", "C:\\"}));
}

// Permission bits stop nothing for root, so the test reruns itself as the user nobody.
TEST_F(CommandsTest, ImportThatCannotRemoveTheOldInstallFileOrFindFLImportSaysWhyAndStartsNothing) {
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

    QFile::remove(flImport);
    form().Import(0)->click();
    expectWarnings(2, {"FLImport", "C:\\Conv"});
}

TEST_F(CommandsTest, BrowseDialogsAskForTheirTitleFlagsFolderAndPresetName) {
    drives.makeFile('C', "Gen/tree.ged");
    drives.makeFolder('C', "Out");
    drives.makeFile('C', "Conv/Famlore.ini",
                    testing::settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", "Family"));
    startWithConverters();
    form().BrowseI(1)->click();
    form().BrowseE(0)->click();
    const struct {
        bool save;
        const char* title;
        int flags;
        const char* folder;
        const char* fileName;
    } expected[] = {{false, "Select GED File To Import From", 4100, "Gen", "tree.ged"},
                    {true, "Select GED File To Export To", 32774, "Out", "family.ged"}};
    ASSERT_EQ(runner->requests.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const FileDialogRequest& request = runner->requests[i];
        SCOPED_TRACE(expected[i].title);
        EXPECT_EQ(request.save, expected[i].save);
        EXPECT_EQ(request.title, expected[i].title);
        EXPECT_EQ(request.flags, expected[i].flags);
        EXPECT_EQ(request.folder, drives.host('C', expected[i].folder));
        EXPECT_EQ(request.fileName, expected[i].fileName);
        EXPECT_EQ(request.nameFilters, QStringList({"GED Files (*.ged)", "All Files (*)"}));
        EXPECT_EQ(request.defaultSuffix, "GED");
    }
}

TEST_F(CommandsTest, CancelChangesNothingWithOrWithoutAnEarlierChoice) {
    drives.makeFile('D', "Gen/tree.ged");
    startWithConverters();
    form().setBrowseEEnabled(true);
    struct Side {
        QPushButton* browse;
        QLabel* shown;
        QPushButton* command;
        const QString& file;
        QString chosen;
    };
    const Side sides[] = {
        {form().BrowseI(1), form().FromFilename(1), form().Import(0), state.ImportFile, "Gen/tree.ged"},
        {form().BrowseE(0), form().ToFilename(0), form().Export(1), state.ExportFile, "Gen/out.ged"},
    };
    for (const Side& side : sides) {
        SCOPED_TRACE(side.chosen.toStdString());
        side.browse->click();
        EXPECT_EQ(side.file, "");
        EXPECT_EQ(side.shown->text(), "");
        EXPECT_FALSE(side.command->isEnabled());

        runner->answers.push_back(drives.host('D', side.chosen));
        side.browse->click();
        side.browse->click();
        const QString chosen = "D:\\" + QString(side.chosen).replace('/', '\\');
        EXPECT_EQ(side.file, chosen);
        EXPECT_EQ(side.shown->text(), chosen);
        EXPECT_TRUE(side.command->isEnabled());
    }
}

TEST_F(CommandsTest, FileChosenUnderNoDriveIsRefusedLikeACancel) {
    startWithConverters();
    QTemporaryDir outside;
    runner->answers.push_back(outside.path() + "/tree.ged");
    form().BrowseI(1)->click();
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_FALSE(form().Import(0)->isEnabled());
    expectWarnings(1, {outside.path()});
}

TEST_F(CommandsTest, ExitWritesTheSettingsAndEnds) {
    drives.makeFile('D', "Gen/tree.ged");
    startWithConverters();
    runner->answers.push_back(drives.host('D', "Gen/tree.ged"));
    form().BrowseI(1)->click();
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(savedChoices(), QStringList({"C:\\PALM\\User1", "D:\\Gen", "tree.ged", "", "", ""}));
    EXPECT_EQ(warnings, QStringList());
}

} // namespace
} // namespace fambridge
