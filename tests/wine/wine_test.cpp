#include "commands/converter_commands.h"
#include "converter_stand_in.h"
#include "no_windows.h"
#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "qt_printers.h"
#include "startup/start_up.h"
#include "temp_drives.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <optional>

namespace fambridge {
namespace {

// A Wine prefix of the test's own, copied from the one wineboot made: its drives are the drive map, and its
// wineserver is stopped when the test ends.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("wine").isEmpty())
            GTEST_SKIP() << "wine is not installed, so no Windows program can run here";
        ASSERT_TRUE(QFile::exists(WINE_PREFIX_CACHE "/system.reg"))
            << "wine is installed, but there is no prefix in " WINE_PREFIX_CACHE
               ": the test Wine.PrefixForEveryTest makes it with wineboot";
        drives.emplace(WINE_PREFIX_CACHE);
        // Wine's own diagnostics would only bury a failure's output.
        qputenv("WINEDEBUG", "-all");
    }

    void TearDown() override {
        if (drives)
            QProcess::execute("env", {"WINEPREFIX=" + drives->prefix(), "wineserver", "--kill"});
    }

    // The stand-in as a converter on drive C:.
    QString installConverter(const QString& relative) {
        return drives->makeFile('C', relative, drives->readHostFile(WINDOWS_STAND_IN));
    }

    // Start-up run from an application folder on the prefix's C:.
    void startUpIn(const QString& appFolder) {
        launcher.emplace(drives->fileSystem(), WINDOWS_STARTER);
        ASSERT_TRUE(QDir::setCurrent(drives->host('C', appFolder)));
        testing::NoWindows windows;
        const Status started = startUp(state, drives->fileSystem(), windows, windows);
        ASSERT_TRUE(started.ok()) << started.error().toStdString();
    }

    std::optional<testing::TempDrives> drives;
    std::optional<platform::ProgramLauncher> launcher;
    AppState state;
};

// The exact line of the design, minimised (flags STARTF_USESHOWWINDOW, show SW_SHOWMINIMIZED) and in the
// application folder, with names that a shell or Wine's own quoting would change. From the root of C:, the
// program field holds "C:\" and "\FLImport" joined as they stand, and the last field ends in a backslash,
// which must not swallow its closing quote; a converter spelled in other letter case is found, by FamBridge
// and by Windows. Windows' own split of the line shows that it reads the fields the program meant.
TEST_F(WineTest, ConvertersGetTheirExactCommandLineMinimisedInTheApplicationFolder) {
    const QString odd = "&%^;$`é", app = "C:\\Conv " + odd, owner = "C:\\PALM\\Owner " + odd;
    const QString tree = "C:\\Gen " + odd + "\\tree " + odd + ".ged";
    const QString family = "C:\\Out " + odd + "\\family " + odd + ".ged";
    const auto started = [](const QString& line, const QStringList& fields, const QString& folder) {
        QStringList record{"line=" + line};
        for (const QString& field : fields)
            record.append("arg=" + field);
        return record + QStringList{"flags=1", "show=2", "folder=" + folder};
    };
    const struct {
        QString converter; // on C:, in the application folder
        Status (*command)(const AppState&, platform::FileSystem&, platform::ProgramStarter&);
        QString userFolder, file;
        QStringList record;
    } rows[] = {
        {"Conv " + odd + "/FLImport.exe", runImport, owner, tree,
         started(QString(R"("%1\FLImport" "%2\INSTALL" "%3" "%1")").arg(app, owner, tree),
                 {app + "\\FLImport", owner + "\\INSTALL", tree, app}, app)},
        {"Conv " + odd + "/FLExport.exe", runExport, owner, family,
         started(QString(R"("%1\FLExport" "%2\BACKUP" "%3" "Family")").arg(app, owner, family),
                 {app + "\\FLExport", owner + "\\BACKUP", family, "Family"}, app)},
        {"flimport.EXE", runImport, "C:\\PALM\\Owner", "C:\\tree.ged",
         started(R"("C:\\FLImport" "C:\PALM\Owner\INSTALL" "C:\tree.ged" "C:\\")",
                 {R"(C:\\FLImport)", R"(C:\PALM\Owner\INSTALL)", R"(C:\tree.ged)", "C:\\"}, "C:\\")},
    };
    for (const QString& userFolder : {"PALM/Owner " + odd, QString("PALM/Owner")}) {
        drives->makeFile('C', userFolder + "/BACKUP/FamilyP.PDB");
        drives->makeFile('C', userFolder + "/BACKUP/FamilyE.PDB");
        drives->makeFolder('C', userFolder + "/INSTALL");
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.converter.toStdString());
        const QString converter = installConverter(row.converter);
        startUpIn(row.converter.section('/', 0, -2));
        state.UserFolder = row.userFolder;
        state.ImportFile = state.ExportFile = row.file;
        state.DatabaseName = "Family";
        const Status ran = row.command(state, drives->fileSystem(), *launcher);
        ASSERT_TRUE(ran.ok()) << ran.error().toStdString();
        // The first start of a prefix's wineserver takes some seconds.
        EXPECT_EQ(testing::waitForRecord(converter, 60000), row.record);
    }
    // The last start was at the root of C:, whose settings file is joined with one backslash.
    EXPECT_EQ(state.IniPath, "C:\\Famlore.ini");
}

// The database in INSTALL may still be waiting for the handheld: when Windows cannot create the
// converter's process, the starter says so and the database is there as before, byte for byte.
TEST_F(WineTest, ConverterWindowsCannotStartLeavesTheInstallFileByteForByte) {
    drives->makeFile('C', "Conv/FLImport.exe", "MZ but no program");
    const QString installFile = drives->makeFile('C', "PALM/Owner/INSTALL/FAMLORIM.PDB", "waiting");
    drives->makeFile('C', "PALM/Owner/BACKUP/FamilyP.PDB");
    startUpIn("Conv");
    state.ImportFile = "C:\\tree.ged";

    const Status imported = runImport(state, drives->fileSystem(), *launcher);
    EXPECT_TRUE(imported.error().contains("FLImport in C:\\Conv could not be started: wine reported"))
        << imported.error().toStdString();
    EXPECT_EQ(drives->readHostFile(installFile), "waiting");
    EXPECT_EQ(QDir(drives->host('C', "PALM/Owner/INSTALL")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"FAMLORIM.PDB"});
}

} // namespace
} // namespace fambridge
