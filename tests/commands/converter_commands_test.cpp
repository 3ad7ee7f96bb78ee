#include "commands/converter_commands.h"
#include "converter_stand_in.h"
#include "no_windows.h"
#include "platform/program_launcher.h"
#include "qt_printers.h"
#include "startup/start_up.h"
#include "temp_drives.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace fambridge {
namespace {

// The two stand-in converters in an application folder on C:, started from there as a user starts the
// program, with a user folder holding one database.
class ConverterCommandsTest : public ::testing::Test {
protected:
    ~ConverterCommandsTest() override { QDir::setCurrent(m_savedFolder); }

    void start(const QString& appFolder = QStringLiteral("Conv")) {
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
        const QString app = drives.makeFolder('C', appFolder);
        flImport = testing::installStandIn(app, "FLImport");
        flExport = testing::installStandIn(app, "FLExport");
        QDir::setCurrent(app);
        testing::NoWindows windows;
        const Status started = startUp(state, drives.fileSystem(), windows, windows);
        ASSERT_TRUE(started.ok()) << started.error().toStdString();
    }

    // Removes the record afterwards, so that the next command must start the converter again.
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

    testing::TempDrives drives;
    platform::ProgramLauncher launcher{drives.fileSystem()};
    AppState state;
    QString flImport;
    QString flExport;

private:
    QString m_savedFolder = QDir::currentPath();
};

// Export runs first for every case and must delete nothing; each command must start a further converter.
TEST_F(ConverterCommandsTest,
       ConvertersReceiveTheirFieldsExactlyAsTheyStandAndOnlyImportDeletesTheInstallFile) {
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
    start("");
    EXPECT_EQ(state.IniPath, "C:\\\\Famlore.ini");
    for (const bool import : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (import ? " import" : " export"));
            state.UserFolder = QString::fromUtf8(c.userFolder);
            state.ImportFile = state.ExportFile = QString::fromUtf8(c.file);
            state.DatabaseName = QString::fromUtf8(c.databaseName);
            if (import) {
                const Status started = runImport(state, drives.fileSystem(), launcher);
                EXPECT_TRUE(started.ok()) << started.error().toStdString();
                EXPECT_EQ(argumentsOf(flImport),
                          QStringList({state.UserFolder + "\\INSTALL", state.ImportFile, "C:\\"}));
            } else {
                const Status started = runExport(state, launcher);
                EXPECT_TRUE(started.ok()) << started.error().toStdString();
                EXPECT_EQ(argumentsOf(flExport),
                          QStringList({state.UserFolder + "\\BACKUP", state.ExportFile, state.DatabaseName}));
            }
        }
        for (const QString& installFile : installFiles)
            EXPECT_EQ(QFile::exists(installFile), !import) << installFile.toStdString();
    }
}

// Permission bits stop nothing for root, so the test reruns itself as the user nobody.
TEST_F(ConverterCommandsTest, ImportThatCannotRemoveTheOldInstallFileSaysWhyAndStartsNothing) {
    if (testing::rerunUnprivileged())
        return;
    const QString installFile = drives.makeFile('C', "PALM/User1/INSTALL/FAMLORIM.PDB", "stale");
    start();
    const QString installFolder = drives.host('C', "PALM/User1/INSTALL");
    ASSERT_TRUE(QFile::setPermissions(installFolder, QFile::ReadOwner | QFile::ExeOwner));
    state.ImportFile = "D:\\tree.ged";
    const Status started = runImport(state, drives.fileSystem(), launcher);
    QFile::setPermissions(installFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains("C:\\PALM\\User1\\INSTALL\\FAMLORIM.PDB"))
        << started.error().toStdString();
    EXPECT_TRUE(QFile::exists(installFile));
    EXPECT_FALSE(testing::waitForRecord(flImport, 500));
}

// The install file may be a converted database still waiting for the handheld: it may go only for an
// import converter that starts.
TEST_F(ConverterCommandsTest, ImportWhoseConverterCannotStartKeepsTheInstallFileAndSaysWhy) {
    struct Case {
        const char* name;
        const char* converter; // placed in the application folder, if any
        const char* importFile;
        const char* reason;
    };
    const Case cases[] = {
        {"no converter", nullptr, "D:\\tree.ged", "FLImport was not found in C:\\Conv."},
        {"a Windows converter and a file name with a quote", "FLImport.exe", "D:\\say \"hi\".ged",
         "holds a double quote"},
    };
    const QString installFile = drives.makeFile('C', "PALM/User1/INSTALL/FAMLORIM.PDB", "waiting");
    start();
    // A stand-in for wine, which must never be reached.
    const QString fakeWine = testing::installStandIn(drives.makeFolder('C', "FakeBin"), "wine");
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(drives.host('C', "FakeBin")));
    platform::ProgramLauncher windowsLauncher(drives.fileSystem(), "/opt/starter/fambridge-start.exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(flImport);
        if (c.converter)
            drives.makeFile('C', QStringLiteral("Conv/") + c.converter, "MZ");
        state.ImportFile = QString::fromUtf8(c.importFile);
        const Status started = runImport(state, drives.fileSystem(), windowsLauncher);
        EXPECT_FALSE(started.ok());
        EXPECT_TRUE(
            started.error().contains("FLImport could not be started from the application folder C:\\Conv"))
            << started.error().toStdString();
        EXPECT_TRUE(started.error().contains(QString::fromUtf8(c.reason))) << started.error().toStdString();
        EXPECT_EQ(drives.readHostFile(installFile), "waiting");
    }
    qputenv("PATH", searchPath);
    EXPECT_FALSE(testing::waitForRecord(fakeWine, 500));
}

// Windows will not delete a read-only file, whoever asks: the import stops there, as for any file that
// cannot be removed.
TEST_F(ConverterCommandsTest, ImportOverAReadOnlyInstallFileKeepsItAndStartsNothing) {
    const QString installFile = drives.makeFile('C', "PALM/User1/INSTALL/FAMLORIM.PDB", "waiting");
    ASSERT_TRUE(QFile::setPermissions(installFile, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    start();
    state.ImportFile = "D:\\tree.ged";
    const Status started = runImport(state, drives.fileSystem(), launcher);
    ASSERT_FALSE(started.ok());
    EXPECT_TRUE(
        started.error().contains("C:\\PALM\\User1\\INSTALL\\FAMLORIM.PDB cannot be deleted: it is read-only"))
        << started.error().toStdString();
    EXPECT_EQ(drives.readHostFile(installFile), "waiting");
    EXPECT_FALSE(testing::waitForRecord(flImport, 500));
}

// What the converters are started as, before any start: the program named without an extension in the
// application folder.
TEST(ConverterCommands, ProgramsAreNamedWithoutExtensionInTheApplicationFolder) {
    AppState state;
    state.AppDir = "C:\\Conv";
    state.UserFolder = "C:\\PALM\\Owner";
    state.ImportFile = "D:\\Gen\\tree.ged";
    state.ExportFile = "D:\\Out\\family.ged";
    state.DatabaseName = "Family";
    EXPECT_EQ(importCommand(state),
              (ConverterCommand{"C:\\Conv\\FLImport",
                                {"C:\\PALM\\Owner\\INSTALL", "D:\\Gen\\tree.ged", "C:\\Conv"}}));
    EXPECT_EQ(exportCommand(state),
              (ConverterCommand{"C:\\Conv\\FLExport",
                                {"C:\\PALM\\Owner\\BACKUP", "D:\\Out\\family.ged", "Family"}}));
    EXPECT_EQ(installFile(state), "C:\\PALM\\Owner\\INSTALL\\FAMLORIM.PDB");
}

} // namespace
} // namespace fambridge
