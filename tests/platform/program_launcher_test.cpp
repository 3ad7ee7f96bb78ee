#include "converter_stand_in.h"
#include "platform/program_launcher.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <stdexcept>

namespace fambridge::platform {
namespace {

using testing::installStandIn;
using testing::TempDrives;

void makeNotExecutable(const QString& hostPath) {
    if (!QFile::setPermissions(hostPath,
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        throw std::runtime_error("cannot change the permissions of " + hostPath.toStdString());
}

// Sets WINEPREFIX for one test, and puts back what was there.
class WinePrefix {
public:
    explicit WinePrefix(const QByteArray& value) { qputenv("WINEPREFIX", value); }
    ~WinePrefix() { m_wasSet ? void(qputenv("WINEPREFIX", m_saved)) : void(qunsetenv("WINEPREFIX")); }
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

private:
    const bool m_wasSet = qEnvironmentVariableIsSet("WINEPREFIX");
    const QByteArray m_saved = qgetenv("WINEPREFIX");
};

TEST(ProgramLauncher, StartsTheNativeProgramFoundWithoutRegardToCaseWithTheArgumentsExactlyAsGiven) {
    TempDrives drives;
    const QString program = installStandIn(drives.makeFolder('C', "Conv"), "FLImport");
    // The Windows program beside it would need wine; the native one is preferred.
    drives.makeFile('C', "Conv/FLImport.exe", "MZ");
    ProgramLauncher launcher(drives.fileSystem());
    // The prefix of the drive map must reach the program even when this process was started for another.
    WinePrefix wine("/some/other/prefix");

    const QStringList arguments{"with space",
                                "\"quoted\"",
                                "it's",
                                "$HOME",
                                "a;b && c | d",
                                "trailing\\",
                                "\\\\",
                                "",
                                "*",
                                "two\nlines",
                                "Généalogie Семья 家族.ged",
                                "C:\\Palm\\User1\\BACKUP\\FamilyP.PDB"};
    const auto started = launcher.start("C:\\Conv\\flimport", arguments);
    ASSERT_TRUE(started) << started.error().toStdString();
    EXPECT_GT(*started, 0);

    const auto record = testing::waitForRecord(program);
    ASSERT_TRUE(record) << "the program did not report within 10 s";
    EXPECT_EQ(record->arguments, arguments);
    EXPECT_EQ(record->winePrefix, drives.prefix());
    EXPECT_EQ(record->fambridgePrefix, drives.prefix());
}

TEST(ProgramLauncher, RefusesWhatIsNoProgramNamingItAndItsFolder) {
    TempDrives drives;
    for (const char* name : {"FLImport", "Convert.bin"})
        makeNotExecutable(installStandIn(drives.makeFolder('C', "Conv"), name));
    drives.makeFolder('C', "Empty/FLImport.d");
    drives.makeFolder('C', "Dirs/FLImport");
    ProgramLauncher launcher(drives.fileSystem());
    const struct {
        const char* path;
        const char* error;
    } cases[] = {
        {"C:\\Conv\\FLImport", "FLImport in C:\\Conv is not an executable program."},
        {"C:\\Conv\\convert.bin", "convert.bin in C:\\Conv is not an executable program."},
        {"C:\\Empty\\FLImport", "FLImport was not found in C:\\Empty."},
        {"C:\\Tools\\FLImport", "FLImport was not found in C:\\Tools."},
        {"C:\\Dirs\\FLImport", "FLImport was not found in C:\\Dirs."},
        {"C:\\Dirs\\", "C:\\Dirs\\ names a folder, not a program."},
        {"C:\\", "C:\\ names a folder, not a program."},
    };
    for (const auto& c : cases) {
        const auto started = launcher.start(c.path, {});
        EXPECT_EQ(started ? QString("started") : started.error(), QString(c.error));
    }
}

TEST(ProgramLauncher, WindowsProgramWithoutWineIsAnError) {
    if (!QStandardPaths::findExecutable("wine").isEmpty())
        GTEST_SKIP() << "wine is installed here";
    TempDrives drives;
    drives.makeFile('C', "Conv/FLImport.exe", "MZ");
    ProgramLauncher launcher(drives.fileSystem());

    const auto started = launcher.start("C:\\Conv\\FLImport", {});
    ASSERT_FALSE(started);
    EXPECT_EQ(started.error(),
              "FLImport.exe in C:\\Conv is a Windows program, and wine, which runs it, is not installed.");
}

} // namespace
} // namespace fambridge::platform
