#include "commands/converter_commands.h"
#include "converter_stand_in.h"
#include "no_windows.h"
#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "qt_printers.h"
#include "startup/start_up.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace fambridge {
namespace {

// What the Windows stand-in converter was given by Windows.
struct WindowsStart {
    QString line;
    QStringList arguments; // the line as CommandLineToArgvW splits it, the program first
    QString flags;
    QString show;
    QString folder;
};

// A Wine prefix of the test's own, copied from the one wineboot made: its drives are the drive map, its
// wineserver is stopped and the copy removed when the test ends. Files are hard links, but for the
// registry, which Wine writes.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("wine").isEmpty())
            GTEST_SKIP() << "wine is not installed, so no Windows program can run here";
        ASSERT_TRUE(QFile::exists(WINE_PREFIX_CACHE "/system.reg"))
            << "wine is installed, but there is no prefix in " WINE_PREFIX_CACHE
               ": the test Wine.PrefixForEveryTest makes it with wineboot";
        prefix = m_folder.path() + "/prefix";
        ASSERT_EQ(QProcess::execute("cp", {"-al", WINE_PREFIX_CACHE, prefix}), 0);
        for (const QString& registry : QDir(prefix).entryList({"*.reg"}, QDir::Files)) {
            QFile::remove(prefix + '/' + registry);
            ASSERT_TRUE(QFile::copy(WINE_PREFIX_CACHE "/" + registry, prefix + '/' + registry));
        }
        // Wine's own diagnostics would only bury a failure's output.
        qputenv("WINEDEBUG", "-all");
    }

    void TearDown() override {
        if (!prefix.isEmpty()) {
            QProcess stop;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("WINEPREFIX", prefix);
            stop.setProcessEnvironment(environment);
            stop.start("wineserver", {"--kill"});
            stop.waitForFinished(30000);
        }
        QDir::setCurrent(m_savedFolder);
    }

    // A host path under the prefix's drive C:.
    QString onC(const QString& relative) { return prefix + "/drive_c/" + relative; }
    QString makeFile(const QString& relative, const QByteArray& content = {}) {
        const QString path = onC(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    // The stand-in as a converter in a folder of drive C:, under the name given.
    QString installConverter(const QString& folder, const QString& name) {
        const QString path = onC(folder + '/' + name);
        QDir().mkpath(onC(folder));
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(WINDOWS_STAND_IN, path));
        return path;
    }

    // The drive map of the prefix, and start-up run from an application folder on its C:.
    void startUpIn(const QString& appFolder) {
        auto driveMap = platform::DriveMap::open(prefix);
        ASSERT_TRUE(driveMap) << driveMap.error().toStdString();
        fileSystem = std::make_unique<platform::FileSystem>(std::move(driveMap).value());
        launcher = std::make_unique<platform::ProgramLauncher>(*fileSystem, WINDOWS_STARTER);
        ASSERT_TRUE(QDir::setCurrent(onC(appFolder)));
        testing::NoWindows windows;
        const Status started = startUp(state, *fileSystem, windows, windows);
        ASSERT_TRUE(started.ok()) << started.error().toStdString();
    }

    // Waits for what the stand-in at a host path recorded; the first start of a prefix's wineserver takes
    // some seconds.
    static std::optional<WindowsStart> waitForStart(const QString& converter, int timeoutMs = 60000) {
        const auto fields = testing::waitForRecordFields(converter, timeoutMs);
        if (!fields)
            return std::nullopt;
        WindowsStart start;
        for (const auto& [key, value] : *fields) {
            if (key == "line")
                start.line = value;
            else if (key == "arg")
                start.arguments.append(value);
            else if (key == "flags")
                start.flags = value;
            else if (key == "show")
                start.show = value;
            else if (key == "folder")
                start.folder = value;
        }
        QFile::remove(converter + ".out");
        return start;
    }

    QString prefix;
    std::unique_ptr<platform::FileSystem> fileSystem;
    std::unique_ptr<platform::ProgramLauncher> launcher;
    AppState state;

private:
    // Beside the prefix it copies, on the same file system, where hard links can be made.
    QTemporaryDir m_folder{QStringLiteral(WINE_PREFIX_CACHE "-test-XXXXXX")};
    QString m_savedFolder = QDir::currentPath();
};

// The exact line of the design, minimised (STARTF_USESHOWWINDOW, SW_SHOWMINIMIZED) and in the application
// folder, with names that a shell or Wine's own quoting would change.
TEST_F(WineTest, ImportAndExportGetTheirExactCommandLineMinimisedInTheApplicationFolder) {
    const QString odd = QString::fromUtf8("&%^;$`é");
    const QString appFolder = "Conv " + odd;
    const QString flImport = installConverter(appFolder, "FLImport.exe");
    const QString flExport = installConverter(appFolder, "FLExport.exe");
    makeFile("PALM/Owner " + odd + "/BACKUP/FamilyP.PDB");
    makeFile("PALM/Owner " + odd + "/BACKUP/FamilyE.PDB");
    QDir().mkpath(onC("PALM/Owner " + odd + "/INSTALL"));
    startUpIn(appFolder);
    const QString appDir = "C:\\Conv " + odd;
    ASSERT_EQ(state.AppDir, appDir);
    ASSERT_EQ(state.UserFolder, "C:\\PALM\\Owner " + odd);
    state.ImportFile = "C:\\Gen " + odd + "\\tree " + odd + ".ged";
    state.ExportFile = "C:\\Out " + odd + "\\family " + odd + ".ged";
    state.DatabaseName = "Family";

    const Status imported = runImport(state, *fileSystem, *launcher);
    ASSERT_TRUE(imported.ok()) << imported.error().toStdString();
    const auto import = waitForStart(flImport);
    ASSERT_TRUE(import) << "FLImport.exe did not start";
    EXPECT_EQ(import->line, QString("\"%1\\FLImport\" \"%2\\INSTALL\" \"%3\" \"%1\"")
                                .arg(appDir, state.UserFolder, state.ImportFile));
    EXPECT_EQ(import->arguments,
              QStringList({appDir + "\\FLImport", state.UserFolder + "\\INSTALL", state.ImportFile, appDir}));
    EXPECT_EQ(QStringList({import->flags, import->show, import->folder}), QStringList({"1", "2", appDir}));

    const Status exported = runExport(state, *fileSystem, *launcher);
    ASSERT_TRUE(exported.ok()) << exported.error().toStdString();
    const auto exportStart = waitForStart(flExport);
    ASSERT_TRUE(exportStart) << "FLExport.exe did not start";
    EXPECT_EQ(exportStart->line, QString("\"%1\\FLExport\" \"%2\\BACKUP\" \"%3\" \"Family\"")
                                     .arg(appDir, state.UserFolder, state.ExportFile));
    EXPECT_EQ(QStringList({exportStart->flags, exportStart->show, exportStart->folder}),
              QStringList({"1", "2", appDir}));
}

// From the root of C:, the program field holds "C:\" and "\FLImport" joined as they stand, and the last
// field ends in a backslash, which must not swallow its closing quote. A converter spelled in other
// letter case is found, by FamBridge and by Windows.
TEST_F(WineTest, ApplicationFolderAtTheDriveRootAndAConverterSpelledInOtherCase) {
    const QString flImport = installConverter("", "flimport.EXE");
    makeFile("PALM/Owner/Backup/FamilyP.PDB");
    QDir().mkpath(onC("PALM/Owner/INSTALL"));
    startUpIn("");
    ASSERT_EQ(state.AppDir, "C:\\");
    state.ImportFile = "C:\\tree.ged";

    const Status imported = runImport(state, *fileSystem, *launcher);
    ASSERT_TRUE(imported.ok()) << imported.error().toStdString();
    const auto import = waitForStart(flImport);
    ASSERT_TRUE(import) << "flimport.EXE did not start";
    EXPECT_EQ(import->line, R"("C:\\FLImport" "C:\PALM\Owner\INSTALL" "C:\tree.ged" "C:\\")");
    EXPECT_EQ(import->folder, "C:\\");
}

// The database in INSTALL may still be waiting for the handheld: when Windows cannot create the
// converter's process, the starter says so and the database is there as before, byte for byte.
TEST_F(WineTest, ConverterWindowsCannotStartLeavesTheInstallFileByteForByte) {
    makeFile("Conv/FLImport.exe", "MZ but no program");
    const QString installFile = makeFile("PALM/Owner/INSTALL/FAMLORIM.PDB", "waiting");
    makeFile("PALM/Owner/BACKUP/FamilyP.PDB");
    startUpIn("Conv");
    state.ImportFile = "C:\\tree.ged";

    const Status imported = runImport(state, *fileSystem, *launcher);
    EXPECT_FALSE(imported.ok());
    EXPECT_TRUE(imported.error().contains("FLImport in C:\\Conv could not be started: wine reported"))
        << imported.error().toStdString();
    QFile file(installFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "waiting");
    EXPECT_EQ(QDir(onC("PALM/Owner/INSTALL")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"FAMLORIM.PDB"});
}

} // namespace
} // namespace fambridge
