#include "platform/file_system.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <QFile>
#include <QFileInfo>

#include "file_size_limit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace fambridge::platform {
namespace {

using testing::hostNames;
using testing::TempDrives;
using testing::text;
using testing::valueOrError;

struct LookupCase {
    const char* name;
    const char* dosPath;
    const char* expected; // host path below drive C:
    friend void PrintTo(const LookupCase& c, std::ostream* out) { *out << c.name; }
};

class CaseInsensitiveLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(CaseInsensitiveLookup, FindsTheSpellingOnDiskThroughEveryComponent) {
    const LookupCase& c = GetParam();
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("PALM/User1/BACKUP/X"));
    drives.makeFile('C', text("Généalogie/Café.TXT"));
    FileSystem& fileSystem = drives.fileSystem();
    const QString expected = drives.host('C', text(c.expected));

    EXPECT_EQ(valueOrError(fileSystem.toHost(text(c.dosPath))), expected);
    // Inside a snapshot scope names are found in the folder readings instead of by stat().
    const auto scope = fileSystem.snapshotScope();
    EXPECT_EQ(valueOrError(fileSystem.toHost(text(c.dosPath))), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, CaseInsensitiveLookup,
    ::testing::Values(LookupCase{"EveryComponentDiffers", "c:\\palm\\USER1\\backup\\x",
                                 "PALM/User1/BACKUP/X"},
                      LookupCase{"ForwardSlashes", "C:/Palm/user1/Backup/X", "PALM/User1/BACKUP/X"},
                      LookupCase{"MixedSeparators", "c:\\PALM/uSeR1\\backup/x", "PALM/User1/BACKUP/X"},
                      LookupCase{"ExactSpelling", "C:\\PALM\\User1\\BACKUP\\X", "PALM/User1/BACKUP/X"},
                      LookupCase{"NonAsciiLetters", "C:\\GÉNÉALOGIE\\café.txt", "Généalogie/Café.TXT"},
                      LookupCase{"MissingTailKeepsTheSpellingGiven", "c:\\palm\\New Folder\\File.INI",
                                 "PALM/New Folder/File.INI"}),
    [](const auto& info) { return std::string(info.param.name); });

class ExactSpelling : public ::testing::TestWithParam<bool> {};

TEST_P(ExactSpelling, WinsOverANameThatDiffersOnlyInCase) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("Data/which.txt"), "Data");
    drives.makeFile('C', QStringLiteral("DATA/which.txt"), "DATA");
    drives.makeFile('C', QStringLiteral("notes.txt"));
    drives.makeFile('C', QStringLiteral("NOTES.TXT"));
    FileSystem& fileSystem = drives.fileSystem();
    std::optional<FolderCache::Scope> scope;
    if (GetParam())
        scope.emplace(fileSystem.snapshotScope());

    EXPECT_EQ(valueOrError(fileSystem.readFile(QStringLiteral("C:\\Data\\which.txt"), 100)), "Data");
    EXPECT_EQ(valueOrError(fileSystem.readFile(QStringLiteral("C:\\DATA\\which.txt"), 100)), "DATA");
    EXPECT_EQ(fileSystem.dir(QStringLiteral("C:\\notes.txt"), ListMask::Normal), QStringLiteral("notes.txt"));
    EXPECT_EQ(fileSystem.dir(QStringLiteral("C:\\NOTES.TXT"), ListMask::Normal), QStringLiteral("NOTES.TXT"));
}

INSTANTIATE_TEST_SUITE_P(Readings, ExactSpelling, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "InSnapshotScope" : "WithoutScope"; });

struct AttributeCase {
    const char* name;
    const char* dosPath;
    int expected;
    friend void PrintTo(const AttributeCase& c, std::ostream* out) { *out << c.name; }
};

class Attributes : public ::testing::TestWithParam<AttributeCase> {
protected:
    void SetUp() override {
        m_drives.makeFolder('C', QStringLiteral("Folder"));
        m_drives.makeFile('C', QStringLiteral("File.txt"));
        makeReadOnly(m_drives.makeFile('C', QStringLiteral("ReadOnly.txt")));
        makeReadOnly(m_drives.makeFolder('C', QStringLiteral("ReadOnlyFolder")));
        m_drives.makeFile('C', QStringLiteral(".hidden"));
        m_drives.makeFolder('C', QStringLiteral(".HiddenFolder"));
        makeReadOnly(m_drives.makeFile('C', QStringLiteral(".locked")));
    }

    static void makeReadOnly(const QString& hostPath) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(hostPath).constData(), &info), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(hostPath).constData(), info.st_mode & ~mode_t(0222)), 0);
    }

    TempDrives m_drives;
};

TEST_P(Attributes, CarryWindowsBitsForTheEntryFound) {
    const auto attributes = m_drives.fileSystem().attributes(text(GetParam().dosPath));
    ASSERT_TRUE(attributes) << attributes.error().toStdString();
    EXPECT_EQ(*attributes, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Attributes,
    ::testing::Values(
        AttributeCase{"Folder", "C:\\folder", Attribute::Directory},
        AttributeCase{"File", "C:\\FILE.TXT", Attribute::Archive},
        AttributeCase{"ReadOnlyFile", "C:\\readonly.txt", Attribute::Archive | Attribute::ReadOnly},
        AttributeCase{"ReadOnlyFolder", "C:\\readonlyfolder", Attribute::Directory | Attribute::ReadOnly},
        AttributeCase{"DotFile", "C:\\.HIDDEN", Attribute::Archive | Attribute::Hidden},
        AttributeCase{"DotFolder", "C:\\.hiddenfolder", Attribute::Directory | Attribute::Hidden},
        AttributeCase{"ReadOnlyDotFile", "c:/.locked",
                      Attribute::Archive | Attribute::Hidden | Attribute::ReadOnly},
        AttributeCase{"DriveRoot", "C:\\", Attribute::Directory}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Attributes, OfAMissingPathAreAnError) {
    for (const char* path : {"C:\\nothing", "C:\\Folder\\nothing\\deeper", "C:\\File.txt\\below", "Q:\\"}) {
        const auto attributes = m_drives.fileSystem().attributes(text(path));
        EXPECT_FALSE(attributes) << path << " gave " << (attributes ? *attributes : 0);
    }
}

TEST(DeleteFile, RemovesTheFileFoundWithoutRegardToCase) {
    TempDrives drives;
    const QString doomed = drives.makeFile('C', QStringLiteral("Backup/Family.PDB"));
    drives.makeFile('C', QStringLiteral("Backup/Other.PDB"));

    const Status deleted = drives.fileSystem().deleteFile(QStringLiteral("c:\\BACKUP\\family.pdb"));
    ASSERT_TRUE(deleted) << deleted.error().toStdString();
    EXPECT_EQ(hostNames(QFileInfo(doomed).path()), QStringList{QStringLiteral("Other.PDB")});
}

TEST(DeleteFile, RemovesOnlyTheExactSpellingWhenBothExist) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("a.txt"));
    drives.makeFile('C', QStringLiteral("A.TXT"));

    ASSERT_TRUE(drives.fileSystem().deleteFile(QStringLiteral("C:\\A.TXT")));
    EXPECT_EQ(hostNames(drives.drive('C')), QStringList{QStringLiteral("a.txt")});
}

TEST(DeleteFile, RefusesAFolderAndLeavesIt) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("Keep/inside.txt"), "kept");

    const Status deleted = drives.fileSystem().deleteFile(QStringLiteral("C:\\keep"));
    ASSERT_FALSE(deleted);
    EXPECT_TRUE(deleted.error().contains(QStringLiteral("C:\\keep"))) << deleted.error().toStdString();
    EXPECT_EQ(drives.readHostFile(drives.host('C', QStringLiteral("Keep/inside.txt"))), "kept");
}

TEST(DeleteFile, OfAMissingFileIsAnError) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Backup"));
    for (const char* path : {"C:\\Backup\\gone.pdb", "C:\\NoFolder\\gone.pdb", "Q:\\gone.pdb"}) {
        const Status deleted = drives.fileSystem().deleteFile(text(path));
        EXPECT_FALSE(deleted) << path;
    }
    EXPECT_TRUE(QFileInfo(drives.host('C', QStringLiteral("Backup"))).isDir());
}

struct SizeCase {
    const char* name;
    qint64 size;
    qint64 maxBytes;
    bool accepted;
    friend void PrintTo(const SizeCase& c, std::ostream* out) { *out << c.name; }
};

class ReadFileLimit : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ReadFileLimit, RefusesOnlyAFileLargerThanTheLimit) {
    const SizeCase& c = GetParam();
    TempDrives drives;
    const QByteArray content(c.size, 'x');
    drives.makeFile('C', QStringLiteral("Famlore.ini"), content);

    const auto read = drives.fileSystem().readFile(QStringLiteral("c:\\FAMLORE.INI"), c.maxBytes);
    ASSERT_EQ(read.ok(), c.accepted) << (read ? "read" : read.error().toStdString());
    if (read) {
        EXPECT_EQ(*read, content);
    } else {
        EXPECT_TRUE(read.error().contains(QStringLiteral("c:\\FAMLORE.INI"))) << read.error().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadFileLimit,
                         ::testing::Values(SizeCase{"Empty", 0, 0, true},
                                           SizeCase{"BelowLimit", 10, 11, true},
                                           SizeCase{"AtLimit", 10, 10, true},
                                           SizeCase{"OneByteOver", 11, 10, false},
                                           SizeCase{"FarOver", 100000, 4096, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFile, OfAMissingFileOrAFolderIsAnError) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Folder"));
    for (const char* path : {"C:\\missing.ini", "C:\\Folder", "C:\\", "Q:\\x.ini"}) {
        const auto read = drives.fileSystem().readFile(text(path), 1000);
        EXPECT_FALSE(read) << path;
    }
}

TEST(ReplaceFile, WritesOverTheFileFoundWithoutRegardToCase) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("Palm/FAMLORE.INI"), "old");

    const Status replaced = drives.fileSystem().replaceFile(QStringLiteral("C:\\palm\\famlore.ini"), "new");
    ASSERT_TRUE(replaced) << replaced.error().toStdString();
    EXPECT_EQ(hostNames(drives.host('C', QStringLiteral("Palm"))),
              QStringList{QStringLiteral("FAMLORE.INI")});
    EXPECT_EQ(drives.readHostFile(drives.host('C', QStringLiteral("Palm/FAMLORE.INI"))), "new");
}

TEST(ReplaceFile, CreatesAFileThatDoesNotExistYet) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Palm"));

    const Status replaced = drives.fileSystem().replaceFile(QStringLiteral("C:\\PALM\\Famlore.ini"), "first");
    ASSERT_TRUE(replaced) << replaced.error().toStdString();
    EXPECT_EQ(drives.readHostFile(drives.host('C', QStringLiteral("Palm/Famlore.ini"))), "first");
}

TEST(ReplaceFile, OntoAFolderFailsAndLeavesTheFolder) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("Target/inside.txt"), "kept");

    const Status replaced = drives.fileSystem().replaceFile(QStringLiteral("C:\\target"), "content");
    ASSERT_FALSE(replaced);
    EXPECT_TRUE(replaced.error().contains(QStringLiteral("C:\\target"))) << replaced.error().toStdString();
    EXPECT_EQ(hostNames(drives.drive('C')), QStringList{QStringLiteral("Target")});
    EXPECT_EQ(hostNames(drives.host('C', QStringLiteral("Target"))),
              QStringList{QStringLiteral("inside.txt")});
    EXPECT_EQ(drives.readHostFile(drives.host('C', QStringLiteral("Target/inside.txt"))), "kept");
}

class FailedReplace : public ::testing::TestWithParam<int> {};

TEST_P(FailedReplace, KeepsTheOldContentAndLeavesNoTemporaryFile) {
    TempDrives drives;
    const QByteArray old = "[Famlore]\r\nUserFolder=C:\\Palm\\User1\r\n";
    const QString target = drives.makeFile('C', QStringLiteral("Palm/Famlore.ini"), old);
    FileSystem& fileSystem = drives.fileSystem();

    Status replaced;
    {
        testing::FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.active());
        replaced =
            fileSystem.replaceFile(QStringLiteral("C:\\Palm\\Famlore.ini"), QByteArray(GetParam(), 'x'));
    }
    ASSERT_FALSE(replaced);
    EXPECT_TRUE(replaced.error().contains(QStringLiteral("C:\\Palm\\Famlore.ini")))
        << replaced.error().toStdString();
    EXPECT_EQ(drives.readHostFile(target), old);
    EXPECT_EQ(hostNames(QFileInfo(target).path()), QStringList{QStringLiteral("Famlore.ini")});
}

// A small content fails only when the last of it is flushed to disk, a large one already while being written.
INSTANTIATE_TEST_SUITE_P(ContentSizes, FailedReplace, ::testing::Values(2 * 1024, 64 * 1024),
                         [](const auto& info) { return std::to_string(info.param / 1024) + "KiB"; });

TEST(ReadFolder, GivesVisibleFoldersAndOrdinaryFilesOnly) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Parent/Sub"));
    drives.makeFile('C', QStringLiteral("Parent/a.txt"));
    drives.makeFile('C', QStringLiteral("Parent/.hidden"));
    drives.makeFolder('C', QStringLiteral("Parent/.HiddenFolder"));
    const QString parent = drives.host('C', QStringLiteral("Parent"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(parent + QStringLiteral("/pipe")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(parent + QStringLiteral("/nowhere"), parent + QStringLiteral("/broken")));

    const auto entries = drives.fileSystem().readFolder(QStringLiteral("c:\\PARENT"));
    ASSERT_TRUE(entries) << entries.error().toStdString();
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].name, QStringLiteral("a.txt"));
    EXPECT_FALSE((*entries)[0].isFolder);
    EXPECT_EQ((*entries)[1].name, QStringLiteral("Sub"));
    EXPECT_TRUE((*entries)[1].isFolder);
}

TEST(ReadFolder, OfAMissingFolderNamesIt) {
    TempDrives drives;
    const auto entries = drives.fileSystem().readFolder(QStringLiteral("C:\\Palm\\User9"));
    ASSERT_FALSE(entries);
    EXPECT_TRUE(entries.error().contains(QStringLiteral("C:\\Palm\\User9"))) << entries.error().toStdString();
}

TEST(SnapshotScope, ShowsEachFolderAsItWasFirstReadUntilTheLastScopeCloses) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("Backup/OneP.PDB"));
    FileSystem& fileSystem = drives.fileSystem();
    const QString pattern = QStringLiteral("C:\\Backup\\*.pdb");
    const std::vector<QString> first{QStringLiteral("OneP.PDB")};

    {
        const auto outer = fileSystem.snapshotScope();
        {
            const auto inner = fileSystem.snapshotScope();
            EXPECT_EQ(fileSystem.list(pattern, ListMask::Normal), first);
        }
        drives.makeFile('C', QStringLiteral("Backup/TwoP.PDB"));
        EXPECT_EQ(fileSystem.list(pattern, ListMask::Normal), first);
        EXPECT_FALSE(fileSystem.exists(QStringLiteral("C:\\Backup\\twop.pdb"), ListMask::Normal));
    }
    const std::vector<QString> both{QStringLiteral("OneP.PDB"), QStringLiteral("TwoP.PDB")};
    EXPECT_EQ(fileSystem.list(pattern, ListMask::Normal), both);
    EXPECT_TRUE(fileSystem.exists(QStringLiteral("C:\\Backup\\twop.pdb"), ListMask::Normal));
}

} // namespace
} // namespace fambridge::platform
