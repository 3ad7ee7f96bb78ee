#include "converter_stand_in.h"
#include "unprivileged.h"
#include "window_fixture.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace fambridge {
namespace {

using testing::ConverterRecord;

class CommandsTest : public testing::WindowFixture {
protected:
    // A user folder with one database, the two stand-in converters in the application folder.
    void startWithConverters(const QString& appFolder = QStringLiteral("Conv")) {
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
        const QString app = drives.makeFolder('C', appFolder);
        flImport = testing::installStandIn(app, "FLImport");
        flExport = testing::installStandIn(app, "FLExport");
        start(appFolder);
    }

    ConverterRecord recordOf(const QString& program) {
        const auto record = testing::waitForRecord(program);
        if (!record)
            ADD_FAILURE() << program.toStdString() << " was not started";
        QFile::remove(program + ".out");
        return record.value_or(ConverterRecord{});
    }

    QString flImport;
    QString flExport;
};

TEST_F(CommandsTest, ImportDeletesTheInstallFileInAnyCaseThenStartsFLImport) {
    const QString installFile = drives.makeFile('C', "PALM/User1/Install/famlorim.pdb", "stale");
    drives.makeFile('D', "Gen/tree.ged");
    startWithConverters();
    runner->answers.push_back(drives.host('D', "Gen/tree.ged"));
    form().BrowseI(1)->click();
    ASSERT_TRUE(form().Import(0)->isEnabled());

    form().Import(0)->click();

    EXPECT_FALSE(QFile::exists(installFile));
    const ConverterRecord record = recordOf(flImport);
    EXPECT_EQ(record.arguments, QStringList({"C:\\PALM\\User1\\INSTALL", "D:\\Gen\\tree.ged", "C:\\Conv"}));
    EXPECT_EQ(record.winePrefix, drives.prefix());
    EXPECT_EQ(record.fambridgePrefix, drives.prefix());
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

TEST_F(CommandsTest, ConvertersReceiveTheirFieldsExactlyAsTheyStand) {
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
    startWithConverters();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.UserFolder = QString::fromUtf8(c.userFolder);
        state.ImportFile = QString::fromUtf8(c.file);
        state.ExportFile = QString::fromUtf8(c.file);
        state.DatabaseName = QString::fromUtf8(c.databaseName);
        form().setImportEnabled(true);
        form().setExportEnabled(true);

        form().Import(0)->click();
        EXPECT_EQ(recordOf(flImport).arguments,
                  QStringList({state.UserFolder + "\\INSTALL", state.ImportFile, "C:\\Conv"}));
        form().Export(1)->click();
        EXPECT_EQ(recordOf(flExport).arguments,
                  QStringList({state.UserFolder + "\\BACKUP", state.ExportFile, state.DatabaseName}));
    }
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

TEST_F(CommandsTest, ApplicationFolderAtADriveRootKeepsItsBackslash) {
    startWithConverters("");
    ASSERT_EQ(state.AppDir, "C:\\");
    state.ImportFile = "D:\\tree.ged";
    form().setImportEnabled(true);
    form().Import(0)->click();
    EXPECT_EQ(recordOf(flImport).arguments,
              QStringList({"C:\\PALM\\User1\\INSTALL", "D:\\tree.ged", "C:\\"}));
}

TEST_F(CommandsTest, NoUserFolderLooksForTheInstallFileAtTheRoot) {
    const QString installFile = drives.makeFile('C', "INSTALL/FAMLORIM.PDB");
    startWithConverters();
    state.UserFolder = "C:";
    state.ImportFile = "D:\\tree.ged";
    form().setImportEnabled(true);
    form().Import(0)->click();
    EXPECT_FALSE(QFile::exists(installFile));
    EXPECT_EQ(recordOf(flImport).arguments.value(0), "C:\\INSTALL");
}

TEST_F(CommandsTest, ExportDeletesNothing) {
    const QString installFile = drives.makeFile('C', "PALM/User1/INSTALL/FAMLORIM.PDB");
    startWithConverters();
    state.ExportFile = "D:\\out.ged";
    form().setExportEnabled(true);
    form().Export(1)->click();
    recordOf(flExport);
    EXPECT_TRUE(QFile::exists(installFile));
}

TEST_F(CommandsTest, RepeatedPressesStartFurtherConverters) {
    startWithConverters();
    state.ImportFile = "D:\\tree.ged";
    form().setImportEnabled(true);
    for (int press = 0; press < 2; ++press) {
        form().Import(0)->click();
        EXPECT_EQ(recordOf(flImport).arguments.value(1), "D:\\tree.ged") << press;
    }
}

TEST_F(CommandsTest, MissingConverterIsReportedWithItsFolderAndStartsNothing) {
    startWithConverters();
    QFile::remove(flImport);
    state.ImportFile = "D:\\tree.ged";
    form().setImportEnabled(true);
    form().Import(0)->click();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("FLImport")) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("C:\\Conv")) << warnings[0].toStdString();
    EXPECT_FALSE(testing::hasRun(flExport));
}

TEST_F(CommandsTest, UndeletableInstallFileIsReportedAndFLImportIsNotStarted) {
    if (testing::rerunUnprivileged())
        return;
    const QString installFile = drives.makeFile('C', "PALM/User1/INSTALL/FAMLORIM.PDB", "stale");
    startWithConverters();
    ASSERT_TRUE(
        QFile::setPermissions(drives.host('C', "PALM/User1/INSTALL"),
                              QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    state.ImportFile = "D:\\tree.ged";
    form().setImportEnabled(true);
    form().Import(0)->click();

    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("C:\\PALM\\User1\\INSTALL\\FAMLORIM.PDB")) << warnings[0].toStdString();
    EXPECT_TRUE(QFile::exists(installFile));
    EXPECT_FALSE(testing::waitForRecord(flImport, 500));
    QFile::setPermissions(drives.host('C', "PALM/User1/INSTALL"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(CommandsTest, BrowseDialogsAskForTheirTitleFlagsFolderAndPresetName) {
    drives.makeFile('C', "Gen/tree.ged");
    drives.makeFolder('C', "Out");
    drives.makeFile('C', "Conv/Famlore.ini",
                    "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\User1\"\r\n\"C:\\Gen\"\r\n"
                    "\"tree.ged\"\r\n\"C:\\Out\"\r\n\"family.ged\"\r\n\"Family\"\r\n");
    startWithConverters();
    form().BrowseI(1)->click();
    form().BrowseE(0)->click();
    ASSERT_EQ(runner->requests.size(), 2u);

    const FileDialogRequest& open = runner->requests[0];
    EXPECT_FALSE(open.save);
    EXPECT_EQ(open.title, "Select GED File To Import From");
    EXPECT_EQ(open.flags, 4100);
    EXPECT_EQ(open.folder, drives.host('C', "Gen"));
    EXPECT_EQ(open.fileName, "tree.ged");
    EXPECT_EQ(open.nameFilters, QStringList({"GED Files (*.ged)", "All Files (*)"}));
    EXPECT_EQ(open.defaultSuffix, "GED");

    const FileDialogRequest& save = runner->requests[1];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.title, "Select GED File To Export To");
    EXPECT_EQ(save.flags, 32774);
    EXPECT_EQ(save.folder, drives.host('C', "Out"));
    EXPECT_EQ(save.fileName, "family.ged");
}

TEST_F(CommandsTest, CancelChangesNothingWithOrWithoutAnEarlierChoice) {
    drives.makeFile('D', "Gen/tree.ged");
    startWithConverters();

    form().BrowseI(1)->click();
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_EQ(form().FromFilename(1)->text(), "");
    EXPECT_FALSE(form().Import(0)->isEnabled());

    runner->answers.push_back(drives.host('D', "Gen/tree.ged"));
    form().BrowseI(1)->click();
    form().BrowseI(1)->click();
    EXPECT_EQ(state.ImportFile, "D:\\Gen\\tree.ged");
    EXPECT_EQ(form().FromFilename(1)->text(), "D:\\Gen\\tree.ged");
    EXPECT_TRUE(form().Import(0)->isEnabled());

    form().addDBListItem("Family");
    state.DatabaseName = "Family";
    form().setBrowseEEnabled(true);
    form().BrowseE(0)->click();
    EXPECT_EQ(state.ExportFile, "");
    EXPECT_FALSE(form().Export(1)->isEnabled());
    runner->answers.push_back(drives.host('D', "Gen/out.ged"));
    form().BrowseE(0)->click();
    form().BrowseE(0)->click();
    EXPECT_EQ(state.ExportFile, "D:\\Gen\\out.ged");
    EXPECT_EQ(form().ToFilename(0)->text(), "D:\\Gen\\out.ged");
    EXPECT_TRUE(form().Export(1)->isEnabled());
}

TEST_F(CommandsTest, FileChosenUnderNoDriveIsRefusedLikeACancel) {
    startWithConverters();
    QTemporaryDir outside;
    runner->answers.push_back(outside.path() + "/tree.ged");
    form().BrowseI(1)->click();
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_FALSE(form().Import(0)->isEnabled());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(outside.path())) << warnings[0].toStdString();
}

TEST_F(CommandsTest, ExitWritesTheSettingsAndEnds) {
    drives.makeFile('D', "Gen/tree.ged");
    startWithConverters();
    runner->answers.push_back(drives.host('D', "Gen/tree.ged"));
    form().BrowseI(1)->click();
    QSignalSpy ended(&form(), &MainForm::exitRequested);
    form().Exit(1)->click();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(
        drives.readHostFile(appHost + "/Famlore.ini"),
        QByteArray(
            "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\User1\"\r\n\"D:\\Gen\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n"));
    EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(CommandsTest, ExitThatCannotWriteSaysWhyEndsAndKeepsTheOldFile) {
    if (testing::rerunUnprivileged())
        return;
    const QByteArray old = "\"FAMBRIDGE\",\"1.40\"\r\n\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n\r\n\r\n";
    drives.makeFile('C', "Conv/Famlore.ini", old);
    startWithConverters();
    ASSERT_TRUE(QFile::setPermissions(appHost, QFile::ReadOwner | QFile::ExeOwner));
    state.ImportFile = "D:\\tree.ged";
    QSignalSpy ended(&form(), &MainForm::exitRequested);
    form().Exit(1)->click();

    EXPECT_EQ(ended.count(), 1);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("C:\\Conv\\Famlore.ini")) << warnings[0].toStdString();
    EXPECT_EQ(drives.readHostFile(appHost + "/Famlore.ini"), old);
    QFile::setPermissions(appHost, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
} // namespace fambridge
