#include "platform/dos_path.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

#include <string>

namespace fambridge::platform {
namespace {

using testing::CurrentFolderGuard;
using testing::TempDrives;
using testing::text;

// As if the program had been started in C:\Work\Sub: C: is the current drive, every other drive stands at
// its root.
CurrentFolders startedInWorkSub() {
    CurrentFolders current;
    current.currentDrive = [] { return QLatin1Char('C'); };
    current.folderOf = [](QChar drive) {
        DosPath folder;
        folder.drive = drive;
        if (drive == QLatin1Char('C'))
            folder.components = QStringList{QStringLiteral("Work"), QStringLiteral("Sub")};
        return folder;
    };
    return current;
}

struct ParseCase {
    const char* name;
    const char* path;
    char drive;
    const char* components; // joined by '|'
    bool trailingSeparator;
    friend void PrintTo(const ParseCase& c, std::ostream* out) { *out << c.name; }
};

class ParseDosPath : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseDosPath, YieldsTheDriveAndTheFoldersFromItsRoot) {
    const ParseCase& c = GetParam();
    const auto parsed = parseDosPath(text(c.path), startedInWorkSub());
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    EXPECT_EQ(parsed->drive, QLatin1Char(c.drive));
    EXPECT_EQ(parsed->components.join(QLatin1Char('|')), text(c.components));
    EXPECT_EQ(parsed->trailingSeparator, c.trailingSeparator);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ParseDosPath,
    ::testing::Values(ParseCase{"Backslashes", "C:\\Palm\\User1", 'C', "Palm|User1", false},
                      ParseCase{"ForwardSlashes", "c:/Palm/User1", 'C', "Palm|User1", false},
                      ParseCase{"MixedSeparators", "C:/Palm\\User1/Backup", 'C', "Palm|User1|Backup", false},
                      ParseCase{"LowerCaseDrive", "d:\\x", 'D', "x", false},
                      ParseCase{"TrailingSeparatorAsksForContents", "C:\\Palm\\", 'C', "Palm", true},
                      ParseCase{"RepeatedSeparatorsCountOnce", "C:\\\\Palm//\\User1\\\\", 'C', "Palm|User1",
                                true},
                      ParseCase{"DriveRoot", "C:\\", 'C', "", true},
                      ParseCase{"BareDriveIsItsCurrentFolder", "C:", 'C', "Work|Sub", false},
                      ParseCase{"BareLowerCaseDriveIsItsCurrentFolder", "c:", 'C', "Work|Sub", false},
                      ParseCase{"DriveRelativeName", "C:a", 'C', "Work|Sub|a", false},
                      ParseCase{"DriveRelativeParent", "C:..", 'C', "Work", false},
                      ParseCase{"BareOtherDriveIsItsRoot", "D:", 'D', "", false},
                      ParseCase{"OtherDriveRelativeName", "D:a\\b", 'D', "a|b", false},
                      ParseCase{"RootOfCurrentDrive", "\\a", 'C', "a", false},
                      ParseCase{"RootOfCurrentDriveWithSlash", "/a/b", 'C', "a|b", false},
                      ParseCase{"RelativeToCurrentFolder", "a\\b", 'C', "Work|Sub|a|b", false},
                      ParseCase{"ParentOfCurrentFolder", "..", 'C', "Work", false},
                      ParseCase{"ParentsStopAtTheRoot", "..\\..\\..\\..", 'C', "", false},
                      ParseCase{"ParentsAboveAbsoluteRootStopThere", "C:\\..\\..\\a", 'C', "a", false},
                      ParseCase{"DotsResolvedByName", "C:\\a\\.\\b\\..\\c", 'C', "a|c", false},
                      ParseCase{"ParentBackToRoot", "C:\\a\\..", 'C', "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseDosPath, RejectsPathsThatNameNoPlace) {
    const QString withNul = QStringLiteral("C:\\a") + QChar(0) + QStringLiteral("b");
    for (const QString& path : {QString(), QStringLiteral("1:\\a"), QStringLiteral("\\\\server\\share\\a"),
                                QStringLiteral("//server/share"), withNul}) {
        const auto parsed = parseDosPath(path, startedInWorkSub());
        EXPECT_FALSE(parsed) << path.toStdString();
        if (!parsed) {
            EXPECT_FALSE(parsed.error().isEmpty());
        }
    }
}

TEST(ParseDosPath, BareDriveIsTheProcessFolderWhenItLiesOnThatDrive) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Work/Sub"));
    drives.drive('D');
    FileSystem& fileSystem = drives.fileSystem();
    CurrentFolderGuard current(drives.host('C', QStringLiteral("Work/Sub")));

    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"C:", "C:\\Work\\Sub"},   {"c:x", "C:\\Work\\Sub\\x"},
        {"x", "C:\\Work\\Sub\\x"}, {"..", "C:\\Work"},
        {"\\x", "C:\\x"},          {"D:", "D:\\"},
    };
    for (const auto& c : cases) {
        const auto parsed = fileSystem.parse(text(c.path));
        ASSERT_TRUE(parsed) << c.path;
        EXPECT_EQ(parsed->toString(), text(c.expected)) << c.path;
    }
    const auto here = fileSystem.currentDirectory();
    ASSERT_TRUE(here) << here.error().toStdString();
    EXPECT_EQ(*here, QStringLiteral("C:\\Work\\Sub"));
}

TEST(ParseDosPath, BareDriveIsItsRootWhenTheProcessFolderLiesElsewhere) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Work"));
    drives.makeFolder('D', QStringLiteral("Elsewhere"));
    FileSystem& fileSystem = drives.fileSystem();
    CurrentFolderGuard current(drives.host('D', QStringLiteral("Elsewhere")));

    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"C:", "C:\\"},   {"C:x", "C:\\x"},          {"D:", "D:\\Elsewhere"},
        {"\\x", "D:\\x"}, {"x", "D:\\Elsewhere\\x"},
    };
    for (const auto& c : cases) {
        const auto parsed = fileSystem.parse(text(c.path));
        ASSERT_TRUE(parsed) << c.path;
        EXPECT_EQ(parsed->toString(), text(c.expected)) << c.path;
    }
}

} // namespace
} // namespace fambridge::platform
