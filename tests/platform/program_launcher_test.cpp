#include "converter_stand_in.h"
#include "platform/program_launcher.h"
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
    const auto started = launcher.start("C:\\Conv\\flimport", arguments);
    ASSERT_TRUE(started) << started.error().toStdString();

    const auto record = testing::waitForRecord(program);
    ASSERT_TRUE(record) << "the program did not report within 10 s";
    EXPECT_EQ(record->arguments, arguments);
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
             {"C:\\Dirs\\FLImport", "FLImport was not found in C:\\Dirs."},
             {"C:\\Dirs\\", "C:\\Dirs\\ names a folder, not a program."},
         })
        EXPECT_EQ(testing::outcome(launcher.start(path, {})), QString("error: ") + error);
}

// Wine is looked for on the search path; a path of one empty folder stands for a machine without it.
TEST(ProgramLauncher, WindowsProgramWithoutWineIsAnError) {
    TempDrives drives;
    drives.makeFile('C', "Conv/FLImport.exe", "MZ");
    ProgramLauncher launcher(drives.fileSystem());
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(drives.makeFolder('C', "EmptyBin")));
    const QString started = testing::outcome(launcher.start("C:\\Conv\\FLImport", {}));
    qputenv("PATH", searchPath);

    EXPECT_EQ(
        started,
        "error: FLImport.exe in C:\\Conv is a Windows program, and wine, which runs it, is not installed.");
}

} // namespace
} // namespace fambridge::platform
