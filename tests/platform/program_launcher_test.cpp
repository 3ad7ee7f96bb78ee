#include "converter_stand_in.h"
#include "platform/program_launcher.h"
#include "platform/windows_command_line.h"
#include "platform_test_support.h"
#include "temp_drives.h"
#include "test_table.h"

#include <gtest/gtest.h>

namespace fambridge::platform {
namespace {

using testing::TempDrives;

// Sets an environment variable for one test, and puts back what was there.
struct ScopedVariable {
    ScopedVariable(const char* name, const QByteArray& value) : name(name) { qputenv(name, value); }
    ~ScopedVariable() { wasSet ? void(qputenv(name, saved)) : void(qunsetenv(name)); }
    const char* name;
    const bool wasSet = qEnvironmentVariableIsSet(name);
    const QByteArray saved = qgetenv(name);
};

// What a shell or a command line would split, expand or unquote must arrive as it was; the prefix of the
// drive map must reach the program even when this process was started for another. The Windows program beside
// it would need wine; the native one is preferred.
TEST(ProgramLauncher, StartsTheNativeProgramFoundWithoutRegardToCaseInItsFolderWithItsArgumentsExactly) {
    TempDrives drives;
    const QString program = testing::installStandIn(drives.makeFolder('C', "Conv"), "FLImport");
    drives.makeFile('C', "Conv/FLImport.exe", "MZ");
    ProgramLauncher launcher(drives.fileSystem());
    const ScopedVariable wine("WINEPREFIX", "/some/other/prefix");

    const QStringList arguments{"with space", "\"quoted\" it's", "$HOME *", "trailing\\",
                                "",           "Семья 家族.ged"};
    const auto prepared = launcher.prepare("C:\\Conv\\flimport", arguments);
    ASSERT_TRUE(prepared) << prepared.error().toStdString();
    const auto started = launcher.start(*prepared);
    ASSERT_TRUE(started) << started.error().toStdString();
    EXPECT_EQ(testing::waitForRecord(program),
              testing::nativeRecord(arguments, drives.host('C', "Conv"), drives.prefix()));
}

// Whatever makes a program fail, found before the start or by exec itself, is said in words that point at
// the cause (a message that goes on names the host's reason). Wine is looked for on the search path, here one
// folder, empty at first. It is handed the starter, the Windows command line and the folder, each as UTF-16
// code units of four hexadecimal digits, which pass wine's own quoting unchanged.
TEST(ProgramLauncher, RefusesWhatIsNoProgramAndHandsAWindowsProgramToWineWithItsCommandLineAsHexUnits) {
    TempDrives drives;
    QFile self("/proc/self/exe");
    ASSERT_TRUE(self.open(QIODevice::ReadOnly));
    QByteArray otherMachine = self.read(64);
    otherMachine[18] = char(QSysInfo::currentCpuArchitecture() == "arm64" ? 0x3E : 0xB7); // e_machine
    otherMachine[19] = 0;
    for (const auto& [file, content] : {std::pair<const char*, QByteArray>{"Conv/FLImport", {}},
                                        {"Conv/Convert.bin", {}},
                                        {"Dirs/FLImport/inside", {}},
                                        {"My Conv &%^/flimport.EXE", {}},
                                        {"Crlf/FLImport", "#!/bin/sh\r\nexit 0\r\n"},
                                        {"NoHash/FLImport", "exit 0\n"},
                                        {"Gone/FLImport", "#!/no/such/shell\n"},
                                        {"Arm/FLImport", otherMachine}}) {
        const QString made = drives.makeFile('C', file, content);
        if (!content.isEmpty())
            QFile::setPermissions(made, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const ScopedVariable searchPath("PATH", QFile::encodeName(drives.makeFolder('C', "Bin")));
    ProgramLauncher launcher(drives.fileSystem(), "/opt/starter/fambridge-start.exe");
    const auto started = [&](const QString& path) {
        const auto prepared = launcher.prepare(path, {});
        return prepared ? testing::outcome(launcher.start(*prepared)) : "error: " + prepared.error();
    };
    for (const QString& row : testing::tableRows("refusals.txt")) {
        const QString failed = started(row.section(" = ", 0, 0));
        EXPECT_TRUE(failed.startsWith("error: " + row.section(" = ", 1))) << failed.toStdString();
    }

    const QString wine = testing::installStandIn(drives.host('C', "Bin"), "wine");
    const auto prepared = launcher.prepare("C:\\My Conv &%^\\FLImport", {"C:\\PALM\\Léa $x `y`", "C:\\", ""});
    ASSERT_TRUE(prepared) << prepared.error().toStdString();
    QStringList handed{prepared->hostProgram, prepared->hostFolder};
    for (const QString& hex : prepared->hostArguments.mid(1)) {
        handed.append(QString());
        for (qsizetype i = 0; i < hex.size(); i += 4)
            handed.back() += QChar(char16_t(hex.mid(i, 4).toUShort(nullptr, 16)));
    }
    EXPECT_EQ(prepared->hostArguments.value(0), "/opt/starter/fambridge-start.exe");
    EXPECT_EQ(handed, QStringList({wine, drives.host('C', "My Conv &%^"),
                                   R"("C:\My Conv &%^\FLImport" "C:\PALM\Léa $x `y`" "C:\\" "")",
                                   "C:\\My Conv &%^"}));
}

TEST(WindowsCommandLine, QuotesEachFieldDoublesBackslashesBeforeAClosingQuoteAndRefusesAQuote) {
    for (const auto& [fields, line] : {
             std::pair{QStringList{"C:\\Conv\\FLImport", "D:\\Gen\\tree.ged"},
                       QString(R"("C:\Conv\FLImport" "D:\Gen\tree.ged")")},
             {{"C:\\", "a\\\\", "\\\\server\\share"}, R"("C:\\" "a\\\\" "\\server\share")"},
             {{"", "a b", "&%^|<>;$`é"}, R"("" "a b" "&%^|<>;$`é")"},
             {{"C:\\Say \"hi\""},
              "error: \"C:\\Say \"hi\"\" holds a double quote, which a Windows program cannot "
              "be given and no Windows path can hold."},
         })
        EXPECT_EQ(testing::valueOrError(windowsCommandLine(fields)), line);
}

} // namespace
} // namespace fambridge::platform
