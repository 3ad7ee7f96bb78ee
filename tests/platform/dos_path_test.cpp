#include "platform/dos_path.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace fambridge::platform {
namespace {

using testing::CurrentFolderGuard;
using testing::TempDrives;

struct ParseCase {
    const char* path;
    char drive;
    const char* components; // joined by '|', so that a separator left inside a component shows
    bool trailingSeparator;
};

void expectParses(const FileSystem& fileSystem, std::initializer_list<ParseCase> cases) {
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.path);
        const auto parsed = fileSystem.parse(c.path);
        if (!parsed) {
            ADD_FAILURE() << parsed.error().toStdString();
            continue;
        }
        EXPECT_EQ(parsed->drive, QLatin1Char(c.drive));
        EXPECT_EQ(parsed->components.join(QLatin1Char('|')), QString(c.components));
        EXPECT_EQ(parsed->trailingSeparator, c.trailingSeparator);
    }
}

TEST(ParseDosPath, ResolvesEveryFormAgainstTheFolderTheProcessIsIn) {
    TempDrives drives;
    drives.makeFolder('C', "Work/Sub");
    drives.drive('D');
    const FileSystem& fileSystem = drives.fileSystem();
    CurrentFolderGuard current(drives.host('C', "Work/Sub"));

    expectParses(fileSystem, {
                                 {"C:\\Palm\\User1", 'C', "Palm|User1", false},
                                 {"c:/Palm/User1", 'C', "Palm|User1", false},
                                 {"C:/Palm\\User1/Backup", 'C', "Palm|User1|Backup", false},
                                 {"d:\\x", 'D', "x", false},
                                 {"C:\\Palm\\", 'C', "Palm", true},
                                 {"C:\\\\Palm//\\User1\\\\", 'C', "Palm|User1", true},
                                 {"C:\\", 'C', "", true},
                                 // A drive without a separator is relative to that drive's current folder.
                                 {"C:", 'C', "Work|Sub", false},
                                 {"c:", 'C', "Work|Sub", false},
                                 {"C:a", 'C', "Work|Sub|a", false},
                                 {"C:..", 'C', "Work", false},
                                 {"D:", 'D', "", false},
                                 {"D:a\\b", 'D', "a|b", false},
                                 {"\\a", 'C', "a", false},
                                 {"/a/b", 'C', "a|b", false},
                                 {"a\\b", 'C', "Work|Sub|a|b", false},
                                 {"..", 'C', "Work", false},
                                 {"..\\..\\..\\..", 'C', "", false},
                                 {"C:\\..\\..\\a", 'C', "a", false},
                                 {"C:\\a\\.\\b\\..\\c", 'C', "a|c", false},
                                 {"C:\\a\\..", 'C', "", false},
                             });
    EXPECT_EQ(testing::valueOrError(fileSystem.currentDirectory()), "C:\\Work\\Sub");

    for (const QString& path : {QString(), QString("1:\\a"), QString("\\\\server\\share\\a"),
                                QString("//server/share"), QString("C:\\a") + QChar(0) + "b"}) {
        EXPECT_FALSE(fileSystem.parse(path)) << path.toStdString();
    }
}

TEST(ParseDosPath, TakesTheCurrentDriveFromTheProcessFolderAndPutsOtherDrivesAtTheirRoot) {
    TempDrives drives;
    drives.makeFolder('C', "Work");
    drives.makeFolder('D', "Elsewhere");
    const FileSystem& fileSystem = drives.fileSystem();
    CurrentFolderGuard current(drives.host('D', "Elsewhere"));

    expectParses(fileSystem, {
                                 {"C:", 'C', "", false},
                                 {"C:x", 'C', "x", false},
                                 {"D:", 'D', "Elsewhere", false},
                                 {"\\x", 'D', "x", false},
                                 {"x", 'D', "Elsewhere|x", false},
                             });
    EXPECT_EQ(testing::valueOrError(fileSystem.currentDirectory()), "D:\\Elsewhere");
}

} // namespace
} // namespace fambridge::platform
