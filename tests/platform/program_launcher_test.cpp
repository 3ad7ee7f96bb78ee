#include "converter_stand_in.h"
#include "platform/program_launcher.h"
#include "platform/windows_command_line.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <QFile>

#include <gtest/gtest.h>

#include <utility>

namespace fambridge::platform {
namespace {

using testing::installStandIn;
using testing::TempDrives;

// Sets WINEPREFIX for one test, and puts back what was there.
struct WinePrefix {
    explicit WinePrefix(const QByteArray& value) { qputenv("WINEPREFIX", value); }
    ~WinePrefix() { wasSet ? void(qputenv("WINEPREFIX", saved)) : void(qunsetenv("WINEPREFIX")); }
    const bool wasSet = qEnvironmentVariableIsSet("WINEPREFIX");
    const QByteArray saved = qgetenv("WINEPREFIX");
};

TEST(ProgramLauncher, StartsTheNativeProgramFoundWithoutRegardToCaseWithTheArgumentsExactlyAsGiven) {
    TempDrives drives;
    const QString program = installStandIn(drives.makeFolder('C', "Conv"), "FLImport");
    // The Windows program beside it would need wine; the native one is preferred.
    drives.makeFile('C', "Conv/FLImport.exe", "MZ");
    ProgramLauncher launcher(drives.fileSystem());
    // The prefix of the drive map must reach the program even when this process was started for another.
    WinePrefix wine("/some/other/prefix");

    // What a shell or a command line would split, expand or unquote must arrive as it was.
    const QStringList arguments{"with space", "\"quoted\" it's", "$HOME *", "trailing\\",
                                "",           "Семья 家族.ged"};
    const auto started = testing::startProgram(launcher, "C:\\Conv\\flimport", arguments);
    ASSERT_TRUE(started) << started.error().toStdString();

    const auto record = testing::waitForRecord(program);
    ASSERT_TRUE(record) << "the program did not report within 10 s";
    EXPECT_EQ(record->arguments, arguments);
    EXPECT_EQ(record->folder, drives.host('C', "Conv"));
    EXPECT_EQ(record->winePrefix, drives.prefix());
    EXPECT_EQ(record->fambridgePrefix, drives.prefix());
}

TEST(ProgramLauncher, RefusesWhatIsNoProgramNamingItAndItsFolder) {
    TempDrives drives;
    for (const char* name : {"FLImport", "Convert.bin"})
        ASSERT_TRUE(
            QFile::setPermissions(installStandIn(drives.makeFolder('C', "Conv"), name), QFile::ReadOwner));
    drives.makeFolder('C', "Dirs/FLImport");
    ProgramLauncher launcher(drives.fileSystem());
    for (const auto& [path, error] : {
             std::pair{"C:\\Conv\\FLImport", "FLImport in C:\\Conv is not an executable program."},
             {"C:\\Conv\\convert.bin", "convert.bin in C:\\Conv is not an executable program."},
             {"C:\\Dirs\\FLImport", "FLImport in C:\\Dirs is a folder, not a program."},
             {"C:\\Dirs\\", "C:\\Dirs\\ names a folder, not a program."},
         })
        EXPECT_EQ(testing::outcome(testing::startProgram(launcher, path, {})), QString("error: ") + error);
}

// What the Windows starter is handed, read back: four hexadecimal digits a UTF-16 code unit.
QString fromHexUnits(const QString& hex) {
    QString text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
        text += QChar(char16_t(hex.mid(i, 4).toUShort(nullptr, 16)));
    return text;
}

// A stand-in named wine, first on the search path, records what wine would be asked to run: the starter,
// with the Windows command line and the folder, each as hexadecimal code units, started in the program's
// folder. Odd names must survive that way unchanged; only the drive-root field gains its backslash.
TEST(ProgramLauncher, WindowsProgramGoesThroughTheStarterWithItsExactCommandLineAndFolder) {
    TempDrives drives;
    drives.makeFile('C', "My Conv &%^/flimport.EXE", "MZ");
    const QString fakeWine = installStandIn(drives.makeFolder('C', "FakeBin"), "wine");
    ProgramLauncher launcher(drives.fileSystem(), "/opt/starter/fambridge-start.exe");
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(drives.host('C', "FakeBin")));
    const auto started =
        testing::startProgram(launcher, "C:\\My Conv &%^\\FLImport", {"C:\\PALM\\Léa $x `y`", "C:\\", ""});
    qputenv("PATH", searchPath);
    ASSERT_TRUE(started) << started.error().toStdString();

    const auto record = testing::waitForRecord(fakeWine);
    ASSERT_TRUE(record);
    ASSERT_EQ(record->arguments.size(), 3);
    EXPECT_EQ(record->arguments[0], "/opt/starter/fambridge-start.exe");
    EXPECT_EQ(fromHexUnits(record->arguments[1]),
              R"("C:\My Conv &%^\FLImport" "C:\PALM\Léa $x `y`" "C:\\" "")");
    EXPECT_EQ(fromHexUnits(record->arguments[2]), "C:\\My Conv &%^");
    EXPECT_EQ(record->folder, drives.host('C', "My Conv &%^"));
    EXPECT_EQ(record->winePrefix, drives.prefix());
}

TEST(WindowsCommandLine, QuotesEachFieldDoublesBackslashesBeforeAClosingQuoteAndRefusesAQuote) {
    for (const auto& [fields, line] : {
             std::pair{QStringList{"C:\\Conv\\FLImport", "C:\\PALM\\Owner\\INSTALL", "D:\\Gen\\tree.ged",
                                   "C:\\Conv"},
                       QString(R"("C:\Conv\FLImport" "C:\PALM\Owner\INSTALL" "D:\Gen\tree.ged" "C:\Conv")")},
             {{"C:\\", "a\\\\", "\\\\server\\share"}, R"("C:\\" "a\\\\" "\\server\share")"},
             {{"", "a b", "&%^|<>;$`é"}, R"("" "a b" "&%^|<>;$`é")"},
             {{"C:\\Say \"hi\""},
              "error: \"C:\\Say \"hi\"\" holds a double quote, which a Windows program cannot "
              "be given and no Windows path can hold."},
         })
        EXPECT_EQ(testing::valueOrError(windowsCommandLine(fields)), line);
}

// Wine is looked for on the search path; a path of one empty folder stands for a machine without it.
TEST(ProgramLauncher, WindowsProgramWithoutWineIsAnError) {
    TempDrives drives;
    drives.makeFile('C', "Conv/FLImport.exe", "MZ");
    ProgramLauncher launcher(drives.fileSystem());
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(drives.makeFolder('C', "EmptyBin")));
    const QString started = testing::outcome(testing::startProgram(launcher, "C:\\Conv\\FLImport", {}));
    qputenv("PATH", searchPath);

    EXPECT_EQ(
        started,
        "error: FLImport.exe in C:\\Conv is a Windows program, and wine, which runs it, is not installed.");
}

} // namespace
} // namespace fambridge::platform
