#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace fambridge::platform {
namespace {

using testing::linkDrive;
using testing::TempDrives;
using testing::text;
using testing::valueOrError;

std::string linkTarget(const QString& link) {
    std::error_code error;
    return std::filesystem::read_symlink(link.toStdString(), error).string();
}

DriveMap openOrFail(const QString& prefix) {
    auto map = DriveMap::open(prefix);
    if (!map)
        throw std::runtime_error(map.error().toStdString());
    return std::move(map).value();
}

class DriveMapOpen : public ::testing::TestWithParam<bool> {};

TEST_P(DriveMapOpen, OnAnEmptyPrefixLinksCToDriveCAndZToTheRoot) {
    QTemporaryDir temporary;
    const QString prefix = temporary.path() + QStringLiteral("/prefix");
    if (GetParam()) {
        ASSERT_TRUE(QDir().mkpath(prefix));
    }

    const auto map = DriveMap::open(prefix);
    ASSERT_TRUE(map) << map.error().toStdString();

    EXPECT_EQ(linkTarget(prefix + QStringLiteral("/dosdevices/c:")), "../drive_c");
    EXPECT_EQ(linkTarget(prefix + QStringLiteral("/dosdevices/z:")), "/");
    EXPECT_TRUE(QFileInfo(prefix + QStringLiteral("/drive_c")).isDir());
    EXPECT_EQ(map->drives(), (QList<QChar>{QLatin1Char('C'), QLatin1Char('Z')}));
    EXPECT_EQ(map->hostRoot(QLatin1Char('c')), prefix + QStringLiteral("/drive_c"));
    EXPECT_EQ(map->hostRoot(QLatin1Char('Z')), QStringLiteral("/"));
}

INSTANTIATE_TEST_SUITE_P(PrefixFolder, DriveMapOpen, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Existing" : "NotYetCreated"; });

TEST(DriveMap, OpenLeavesAnExistingDriveSetUpAsItIs) {
    TempDrives drives;
    drives.drive('E');
    const DriveMap map = openOrFail(drives.prefix());
    EXPECT_EQ(map.drives(), (QList<QChar>{QLatin1Char('C'), QLatin1Char('E')}));
    EXPECT_FALSE(QFileInfo(drives.prefix() + QStringLiteral("/dosdevices/z:")).isSymLink());
}

struct NestedDrives {
    const char* name;
    char outer;
    char inner;
    friend void PrintTo(const NestedDrives& c, std::ostream* out) { *out << c.name; }
};

class DeepestDriveRoot : public ::testing::TestWithParam<NestedDrives> {};

TEST_P(DeepestDriveRoot, WinsWhicheverLetterItHas) {
    const NestedDrives& c = GetParam();
    const QChar outer = QLatin1Char(c.outer);
    const QChar inner = QLatin1Char(c.inner);
    TempDrives drives;
    const QString outerRoot = drives.prefix() + QStringLiteral("/outer");
    const QString innerRoot = outerRoot + QStringLiteral("/Inner");
    QDir().mkpath(innerRoot);
    QFile file(innerRoot + QStringLiteral("/File.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    linkDrive(drives.prefix(), outer, outerRoot);
    linkDrive(drives.prefix(), inner, innerRoot);
    // A host path reached through a link of its own still lies on the drive its target lies on.
    const QString alias = drives.prefix() + QStringLiteral("/alias");
    ASSERT_TRUE(QFile::link(innerRoot, alias));

    FileSystem fileSystem(openOrFail(drives.prefix()));
    const DriveMap& map = fileSystem.driveMap();
    const QString innerDos = QString(inner) + QStringLiteral(":\\");
    const QString outerDos = QString(outer) + QStringLiteral(":\\");

    EXPECT_EQ(valueOrError(map.toDos(innerRoot + QStringLiteral("/File.txt"))),
              innerDos + QStringLiteral("File.txt"));
    EXPECT_EQ(valueOrError(map.toDos(innerRoot)), innerDos);
    EXPECT_EQ(valueOrError(map.toDos(innerRoot + QStringLiteral("/NotYet/new.txt"))),
              innerDos + QStringLiteral("NotYet\\new.txt"));
    EXPECT_EQ(valueOrError(map.toDos(alias + QStringLiteral("/File.txt"))),
              innerDos + QStringLiteral("File.txt"));
    EXPECT_EQ(valueOrError(map.toDos(outerRoot + QStringLiteral("/Other"))),
              outerDos + QStringLiteral("Other"));

    const auto located = map.locate(innerRoot + QStringLiteral("/File.txt"));
    ASSERT_TRUE(located);
    EXPECT_EQ(located->first, inner);
    EXPECT_EQ(located->second, QStringList{QStringLiteral("File.txt")});

    // Both letters reach the file; each DOS path leads to the same host file.
    EXPECT_EQ(valueOrError(fileSystem.toHost(innerDos + QStringLiteral("file.TXT"))),
              innerRoot + QStringLiteral("/File.txt"));
    EXPECT_EQ(valueOrError(fileSystem.toHost(outerDos + QStringLiteral("INNER\\file.txt"))),
              outerRoot + QStringLiteral("/Inner/File.txt"));
}

INSTANTIATE_TEST_SUITE_P(Letters, DeepestDriveRoot,
                         ::testing::Values(NestedDrives{"InnerHasTheHigherLetter", 'C', 'D'},
                                           NestedDrives{"InnerHasTheLowerLetter", 'D', 'C'}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DriveMap, EqualDriveRootsGoToTheLowestLetter) {
    TempDrives drives;
    const QString shared = drives.makeFolder('C', QStringLiteral("Shared"));
    drives.makeFile('C', QStringLiteral("Shared/x.txt"));
    linkDrive(drives.prefix(), QLatin1Char('F'), shared);
    linkDrive(drives.prefix(), QLatin1Char('D'), shared);
    linkDrive(drives.prefix(), QLatin1Char('E'), shared);

    const DriveMap map = openOrFail(drives.prefix());
    EXPECT_EQ(valueOrError(map.toDos(shared + QStringLiteral("/x.txt"))), QStringLiteral("D:\\x.txt"));
}

TEST(DriveMap, HostPathUnderNoDriveIsAnError) {
    TempDrives drives;
    QTemporaryDir elsewhere;
    // A sibling whose name merely begins with the drive folder's name is not inside it.
    const QString sibling = drives.drive('C') + QStringLiteral("2");
    QDir().mkpath(sibling);
    const DriveMap map = openOrFail(drives.prefix());

    for (const QString& path : {elsewhere.path(), elsewhere.path() + QStringLiteral("/not/yet"),
                                sibling + QStringLiteral("/file.txt"), drives.prefix()}) {
        const auto dos = map.toDos(path);
        EXPECT_FALSE(dos) << path.toStdString() << " became " << (dos ? dos->toStdString() : "");
        if (!dos) {
            EXPECT_TRUE(dos.error().contains(path)) << dos.error().toStdString();
        }
        EXPECT_FALSE(map.locate(path)) << path.toStdString();
    }
}

TEST(DriveMap, MissingDriveLetterIsAnError) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("x.txt"));
    FileSystem& fileSystem = drives.fileSystem();

    const auto host = fileSystem.toHost(QStringLiteral("Q:\\x.txt"));
    ASSERT_FALSE(host) << host->toStdString();
    EXPECT_TRUE(host.error().contains(QStringLiteral("Q:"))) << host.error().toStdString();
    EXPECT_FALSE(fileSystem.attributes(QStringLiteral("q:\\")));
    EXPECT_TRUE(fileSystem.list(QStringLiteral("Q:\\*"), ListMask::Directory).empty());
    EXPECT_FALSE(fileSystem.driveMap().hostRoot(QLatin1Char('Q')));
}

TEST(DriveMap, DriveLinkPointingNowhereListsNothing) {
    TempDrives drives;
    const QString gone = drives.prefix() + QStringLiteral("/gone");
    linkDrive(drives.prefix(), QLatin1Char('D'), gone);
    FileSystem fileSystem(openOrFail(drives.prefix()));

    EXPECT_TRUE(fileSystem.driveMap().drives().contains(QLatin1Char('D')));
    EXPECT_EQ(fileSystem.driveMap().hostRoot(QLatin1Char('D')), gone);
    for (const char* pattern : {"D:\\", "D:\\*", "D:\\*.*", "D:", "D:\\x"}) {
        EXPECT_TRUE(fileSystem.list(text(pattern), ListMask::Directory).empty()) << pattern;
        EXPECT_TRUE(fileSystem.dir(text(pattern), ListMask::Normal).isEmpty()) << pattern;
    }
    EXPECT_FALSE(fileSystem.readFolder(QStringLiteral("D:\\")));
    EXPECT_FALSE(fileSystem.attributes(QStringLiteral("D:\\")));
    EXPECT_FALSE(fileSystem.driveMap().toDos(gone + QStringLiteral("/x")));
}

enum class DotWine { Absent, WithoutDrives, WithDrives };

struct PrefixCase {
    const char* name;
    const char* ownPrefix;  // FAMBRIDGE_PREFIX; nullptr leaves it unset
    const char* winePrefix; // WINEPREFIX
    DotWine dotWine;
    const char* dataHome; // XDG_DATA_HOME
    const char* expected; // "~" stands for the home folder
    friend void PrintTo(const PrefixCase& c, std::ostream* out) { *out << c.name; }
};

class LocatePrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(LocatePrefix, FollowsTheOrderOfPreference) {
    const PrefixCase& c = GetParam();
    QTemporaryDir home;
    if (c.dotWine == DotWine::WithoutDrives)
        QDir().mkpath(home.path() + QStringLiteral("/.wine/drive_c"));
    if (c.dotWine == DotWine::WithDrives)
        QDir().mkpath(home.path() + QStringLiteral("/.wine/dosdevices"));

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home.path());
    if (c.ownPrefix)
        environment.insert(QStringLiteral("FAMBRIDGE_PREFIX"), text(c.ownPrefix));
    if (c.winePrefix)
        environment.insert(QStringLiteral("WINEPREFIX"), text(c.winePrefix));
    if (c.dataHome)
        environment.insert(QStringLiteral("XDG_DATA_HOME"), text(c.dataHome));

    QString expected = text(c.expected);
    if (expected.startsWith(QLatin1Char('~')))
        expected = home.path() + expected.mid(1);
    EXPECT_EQ(
        DriveMap::locatePrefix([&](const char* name) { return environment.value(QLatin1String(name)); }),
        expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, LocatePrefix,
    ::testing::Values(
        PrefixCase{"OwnVariableFirst", "/p/own", "/p/wine", DotWine::WithDrives, "/p/data", "/p/own"},
        PrefixCase{"WinePrefixNext", nullptr, "/p/wine", DotWine::WithDrives, "/p/data", "/p/wine"},
        PrefixCase{"EmptyOwnVariableCountsAsUnset", "", "/p/wine", DotWine::Absent, nullptr, "/p/wine"},
        PrefixCase{"DotWineWithDrives", nullptr, nullptr, DotWine::WithDrives, "/p/data", "~/.wine"},
        PrefixCase{"DotWineWithoutDrivesIsPassedOver", nullptr, nullptr, DotWine::WithoutDrives, "/p/data",
                   "/p/data/fambridge"},
        PrefixCase{"DataHome", nullptr, nullptr, DotWine::Absent, "/p/data", "/p/data/fambridge"},
        PrefixCase{"DefaultDataFolder", nullptr, nullptr, DotWine::Absent, nullptr,
                   "~/.local/share/fambridge"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace fambridge::platform
