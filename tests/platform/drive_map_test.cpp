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
#include <utility>

namespace fambridge::platform {
namespace {

using testing::linkDrive;
using testing::TempDrives;
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

TEST(DriveMap, OpenOnAPrefixWithoutDrivesLinksCToDriveCAndZToTheRoot) {
    QTemporaryDir temporary;
    ASSERT_TRUE(QDir().mkpath(temporary.path() + "/existing"));
    for (const char* name : {"existing", "not-yet-created"}) {
        SCOPED_TRACE(name);
        const QString prefix = temporary.path() + '/' + name;
        const auto map = DriveMap::open(prefix);
        ASSERT_TRUE(map) << map.error().toStdString();

        EXPECT_EQ(linkTarget(prefix + "/dosdevices/c:"), "../drive_c");
        EXPECT_EQ(linkTarget(prefix + "/dosdevices/z:"), "/");
        EXPECT_TRUE(QFileInfo(prefix + "/drive_c").isDir());
        EXPECT_EQ(map->drives(), (QList<QChar>{'C', 'Z'}));
        EXPECT_EQ(map->hostRoot('c'), prefix + "/drive_c");
        EXPECT_EQ(map->hostRoot('Z'), QString("/"));
    }
}

TEST(DriveMap, DeepestDriveRootWinsWhicheverLetterItHas) {
    for (const auto& [outer, inner] : {std::pair{'C', 'D'}, std::pair{'D', 'C'}}) {
        SCOPED_TRACE(std::string("inner drive ") + inner);
        TempDrives drives;
        drives.makeFile('C', "outer/Inner/File.txt");
        const QString outerRoot = drives.host('C', "outer");
        const QString innerRoot = outerRoot + "/Inner";
        linkDrive(drives.prefix(), outer, outerRoot);
        linkDrive(drives.prefix(), inner, innerRoot);
        // A host path reached through a link of its own still lies on the drive its target lies on.
        const QString alias = drives.prefix() + "/alias";
        ASSERT_TRUE(QFile::link(innerRoot, alias));

        FileSystem fileSystem(openOrFail(drives.prefix()));
        const DriveMap& map = fileSystem.driveMap();
        const QString innerDos = QString(QChar(inner)) + ":\\";
        const QString outerDos = QString(QChar(outer)) + ":\\";

        EXPECT_EQ(valueOrError(map.toDos(innerRoot + "/File.txt")), innerDos + "File.txt");
        EXPECT_EQ(valueOrError(map.toDos(innerRoot)), innerDos);
        EXPECT_EQ(valueOrError(map.toDos(innerRoot + "/NotYet/new.txt")), innerDos + "NotYet\\new.txt");
        EXPECT_EQ(valueOrError(map.toDos(alias + "/File.txt")), innerDos + "File.txt");
        EXPECT_EQ(valueOrError(map.toDos(outerRoot + "/Other")), outerDos + "Other");

        // Both letters reach the file; each DOS path leads to the same host file.
        EXPECT_EQ(valueOrError(fileSystem.toHost(innerDos + "file.TXT")), innerRoot + "/File.txt");
        EXPECT_EQ(valueOrError(fileSystem.toHost(outerDos + "INNER\\file.txt")),
                  outerRoot + "/Inner/File.txt");
    }
}

TEST(DriveMap, EqualDriveRootsGoToTheLowestLetter) {
    TempDrives drives;
    const QString shared = drives.makeFolder('C', "Shared");
    for (const char letter : {'F', 'D', 'E'})
        linkDrive(drives.prefix(), letter, shared);
    EXPECT_EQ(valueOrError(openOrFail(drives.prefix()).toDos(shared + "/x.txt")), "D:\\x.txt");
}

TEST(DriveMap, HostPathUnderNoDriveIsAnError) {
    TempDrives drives;
    QTemporaryDir elsewhere;
    // A sibling whose name merely begins with the drive folder's name is not inside it.
    const QString sibling = drives.drive('C') + "2";
    QDir().mkpath(sibling);
    const DriveMap map = openOrFail(drives.prefix());

    for (const QString& path :
         {elsewhere.path(), elsewhere.path() + "/not/yet", sibling + "/file.txt", drives.prefix()}) {
        SCOPED_TRACE(path.toStdString());
        const auto dos = map.toDos(path);
        ASSERT_FALSE(dos) << dos->toStdString();
        EXPECT_TRUE(dos.error().contains(path)) << dos.error().toStdString();
        EXPECT_FALSE(map.locate(path));
    }
}

TEST(DriveMap, DriveThatIsMissingOrLinksNowhereHoldsNothing) {
    TempDrives drives;
    const QString gone = drives.prefix() + "/gone";
    linkDrive(drives.prefix(), 'D', gone);
    FileSystem fileSystem(openOrFail(drives.prefix()));

    // Opening a prefix that has drives adds none, not even Z:.
    EXPECT_EQ(fileSystem.driveMap().drives(), (QList<QChar>{'C', 'D'}));
    EXPECT_EQ(fileSystem.driveMap().hostRoot('D'), gone);
    EXPECT_FALSE(fileSystem.driveMap().hostRoot('Q'));
    EXPECT_FALSE(fileSystem.driveMap().toDos(gone + "/x"));
    const auto host = fileSystem.toHost("Q:\\x.txt");
    ASSERT_FALSE(host) << host->toStdString();
    EXPECT_TRUE(host.error().contains("Q:")) << host.error().toStdString();
    for (const QString drive : {"D:", "q:"}) {
        for (const char* rest : {"\\", "\\*", "\\*.*", "", "\\x"}) {
            SCOPED_TRACE((drive + rest).toStdString());
            EXPECT_TRUE(fileSystem.list(drive + rest, ListMask::Directory).empty());
            EXPECT_TRUE(fileSystem.dir(drive + rest, ListMask::Normal).isEmpty());
        }
        EXPECT_FALSE(fileSystem.readFolder(drive + "\\"));
        EXPECT_FALSE(fileSystem.attributes(drive + "\\"));
    }
}

TEST(DriveMap, LocatePrefixFollowsTheOrderOfPreference) {
    enum class DotWine { Absent, WithoutDrives, WithDrives };
    const struct {
        const char* ownPrefix;  // FAMBRIDGE_PREFIX; nullptr leaves it unset
        const char* winePrefix; // WINEPREFIX
        DotWine dotWine;
        const char* dataHome; // XDG_DATA_HOME
        const char* expected; // "~" stands for the home folder
    } cases[] = {
        {"/p/own", "/p/wine", DotWine::WithDrives, "/p/data", "/p/own"},
        {nullptr, "/p/wine", DotWine::WithDrives, "/p/data", "/p/wine"},
        {"", "/p/wine", DotWine::Absent, nullptr, "/p/wine"},
        {nullptr, nullptr, DotWine::WithDrives, "/p/data", "~/.wine"},
        // A ~/.wine without drives is no Wine set-up to share.
        {nullptr, nullptr, DotWine::WithoutDrives, "/p/data", "/p/data/fambridge"},
        {nullptr, nullptr, DotWine::Absent, "/p/data", "/p/data/fambridge"},
        {nullptr, nullptr, DotWine::Absent, nullptr, "~/.local/share/fambridge"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        QTemporaryDir home;
        if (c.dotWine != DotWine::Absent)
            QDir().mkpath(home.path() +
                          (c.dotWine == DotWine::WithDrives ? "/.wine/dosdevices" : "/.wine/drive_c"));
        QProcessEnvironment environment;
        environment.insert("HOME", home.path());
        if (c.ownPrefix)
            environment.insert("FAMBRIDGE_PREFIX", c.ownPrefix);
        if (c.winePrefix)
            environment.insert("WINEPREFIX", c.winePrefix);
        if (c.dataHome)
            environment.insert("XDG_DATA_HOME", c.dataHome);

        const QString expected = QString(c.expected).replace('~', home.path());
        EXPECT_EQ(DriveMap::locatePrefix([&](const char* name) { return environment.value(name); }),
                  expected);
    }
}

} // namespace
} // namespace fambridge::platform
