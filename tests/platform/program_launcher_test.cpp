#include "converter_stand_in.h"
#include "platform/program_launcher.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace fambridge::platform {
namespace {

using testing::TempDrives;
using testing::text;

// The stand-in program on drive C:, in a folder created for it, under the name given.
QString installProgram(TempDrives& drives, const QString& folder, const QString& name) {
    return testing::installStandIn(drives.makeFolder('C', folder), name);
}

void makeNotExecutable(const QString& hostPath) {
    if (!QFile::setPermissions(hostPath,
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        throw std::runtime_error("cannot change the permissions of " + hostPath.toStdString());
}

// Sets an environment variable of this process for one test, and puts back what was there.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const QByteArray& value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_saved(qgetenv(name)) {
        qputenv(name, value);
    }
    ~EnvironmentVariable() {
        if (m_wasSet)
            qputenv(m_name, m_saved);
        else
            qunsetenv(m_name);
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_saved;
};

TEST(ProgramLauncher, StartsTheProgramFoundWithoutRegardToCaseWithTheArgumentsExactlyAsGiven) {
    TempDrives drives;
    const QString program = installProgram(drives, QStringLiteral("Conv"), QStringLiteral("FLImport"));
    ProgramLauncher launcher(drives.fileSystem());
    // The prefix of the drive map must reach the program even when this process was started for another.
    EnvironmentVariable wine("WINEPREFIX", "/some/other/prefix");

    const QStringList arguments{QStringLiteral("C:\\Palm\\User1\\BACKUP\\FamilyP.PDB"),
                                QStringLiteral("with space"),
                                QStringLiteral("\"quoted\""),
                                QStringLiteral("it's"),
                                QStringLiteral("$HOME"),
                                QStringLiteral("a;b && c | d"),
                                QStringLiteral("trailing\\"),
                                QStringLiteral("\\\\"),
                                QString(),
                                text("Généalogie Семья 家族.ged"),
                                QStringLiteral("*"),
                                QStringLiteral("two\nlines")};
    const auto started = launcher.start(QStringLiteral("C:\\Conv\\flimport"), arguments);
    ASSERT_TRUE(started) << started.error().toStdString();
    EXPECT_GT(*started, 0);

    const auto record = testing::waitForRecord(program);
    ASSERT_TRUE(record) << "the program did not report within 10 s";
    EXPECT_EQ(record->arguments, arguments);
    EXPECT_EQ(record->winePrefix, drives.prefix());
    EXPECT_EQ(record->fambridgePrefix, drives.prefix());
}

TEST(ProgramLauncher, PrefersTheNativeProgramToTheWindowsOne) {
    TempDrives drives;
    const QString program = installProgram(drives, QStringLiteral("Conv"), QStringLiteral("FLExport"));
    drives.makeFile('C', QStringLiteral("Conv/FLExport.exe"), "MZ");
    ProgramLauncher launcher(drives.fileSystem());

    const auto started = launcher.start(QStringLiteral("C:\\CONV\\FLExport"), {QStringLiteral("out.ged")});
    ASSERT_TRUE(started) << started.error().toStdString();
    const auto record = testing::waitForRecord(program);
    ASSERT_TRUE(record) << "the program did not report within 10 s";
    EXPECT_EQ(record->arguments, QStringList{QStringLiteral("out.ged")});
}

TEST(ProgramLauncher, MissingProgramNamesTheProgramAndItsFolder) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Conv/FLImport.d"));
    ProgramLauncher launcher(drives.fileSystem());

    const auto inExistingFolder = launcher.start(QStringLiteral("C:\\Conv\\FLImport"), {});
    ASSERT_FALSE(inExistingFolder);
    EXPECT_EQ(inExistingFolder.error(), QStringLiteral("FLImport was not found in C:\\Conv."));

    const auto inMissingFolder = launcher.start(QStringLiteral("C:\\Tools\\FLImport"), {});
    ASSERT_FALSE(inMissingFolder);
    EXPECT_EQ(inMissingFolder.error(), QStringLiteral("FLImport was not found in C:\\Tools."));
}

TEST(ProgramLauncher, RefusesAFileThatIsNotExecutable) {
    TempDrives drives;
    makeNotExecutable(installProgram(drives, QStringLiteral("Conv"), QStringLiteral("FLImport")));
    makeNotExecutable(installProgram(drives, QStringLiteral("Conv"), QStringLiteral("Convert.bin")));
    ProgramLauncher launcher(drives.fileSystem());

    for (const char* path : {"C:\\Conv\\FLImport", "C:\\Conv\\convert.bin"}) {
        const auto started = launcher.start(text(path), {});
        ASSERT_FALSE(started) << path;
        EXPECT_TRUE(started.error().contains(QStringLiteral("C:\\Conv"))) << started.error().toStdString();
        EXPECT_TRUE(started.error().contains(QStringLiteral("not an executable")))
            << started.error().toStdString();
    }
}

TEST(ProgramLauncher, RefusesAFolder) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Conv/FLImport"));
    ProgramLauncher launcher(drives.fileSystem());

    for (const char* path : {"C:\\Conv\\", "C:\\", "C:\\Conv\\FLImport"}) {
        const auto started = launcher.start(text(path), {});
        EXPECT_FALSE(started) << path << " started as process " << (started ? *started : 0);
    }
}

TEST(ProgramLauncher, WindowsProgramWithoutWineIsAnError) {
    if (!QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
        GTEST_SKIP() << "wine is installed here";
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("Conv/FLImport.exe"), "MZ");
    ProgramLauncher launcher(drives.fileSystem());

    const auto started = launcher.start(QStringLiteral("C:\\Conv\\FLImport"), {});
    ASSERT_FALSE(started);
    EXPECT_TRUE(started.error().contains(QStringLiteral("FLImport.exe"))) << started.error().toStdString();
    EXPECT_TRUE(started.error().contains(QStringLiteral("wine"))) << started.error().toStdString();
}

} // namespace
} // namespace fambridge::platform
