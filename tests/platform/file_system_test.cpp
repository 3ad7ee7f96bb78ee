#include "platform/file_system.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include "file_size_limit.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <sys/stat.h>

namespace fambridge::platform {
namespace {

using testing::hostNames;
using testing::outcome;
using testing::TempDrives;
using testing::valueOrError;

TEST(Lookup, FindsEveryComponentWithoutRegardToCaseButPrefersTheExactSpelling) {
    TempDrives drives;
    for (const char* file : {"PALM/User1/BACKUP/X", "Généalogie/Café.TXT", "Data/which.txt", "DATA/which.txt",
                             "notes.txt", "NOTES.TXT"})
        drives.makeFile('C', file);
    FileSystem& fileSystem = drives.fileSystem();
    const struct {
        const char* dosPath;
        const char* expected; // host path below drive C:
    } cases[] = {
        {"c:\\palm\\USER1\\backup\\x", "PALM/User1/BACKUP/X"},
        {"C:\\GÉNÉALOGIE\\café.txt", "Généalogie/Café.TXT"},
        // From the first missing component on the spelling given is kept, for a file about to be created.
        {"c:\\palm\\New Folder\\File.INI", "PALM/New Folder/File.INI"},
        {"C:\\Data\\which.txt", "Data/which.txt"},
        {"C:\\DATA\\which.txt", "DATA/which.txt"},
        {"C:\\notes.txt", "notes.txt"},
        {"C:\\NOTES.TXT", "NOTES.TXT"},
        // Without an exact spelling the one a listing gives first wins, whatever order the host reads.
        {"C:\\data\\WHICH.TXT", "DATA/which.txt"},
    };
    for (const bool inScope : {false, true}) {
        // Inside a snapshot scope names are found in folder readings instead of by stat().
        std::optional<FolderCache::Scope> scope;
        if (inScope)
            scope.emplace(fileSystem.snapshotScope());
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.dosPath) + (inScope ? " in a scope" : ""));
            EXPECT_EQ(valueOrError(fileSystem.toHost(c.dosPath)), drives.host('C', c.expected));
        }
    }
}

TEST(Attributes, CarryWindowsBitsForTheEntryFoundAndFailForAMissingOne) {
    TempDrives drives;
    const auto makeReadOnly = [](const QString& hostPath, mode_t mode) {
        EXPECT_EQ(::chmod(QFile::encodeName(hostPath).constData(), mode), 0) << hostPath.toStdString();
    };
    drives.makeFolder('C', "Folder");
    drives.makeFile('C', "File.txt");
    makeReadOnly(drives.makeFile('C', "ReadOnly.txt"), 0444);
    makeReadOnly(drives.makeFolder('C', "ReadOnlyFolder"), 0555);
    drives.makeFile('C', ".hidden");
    drives.makeFolder('C', ".HiddenFolder");
    makeReadOnly(drives.makeFile('C', ".locked"), 0444);
    constexpr int kMissing = -1;
    const struct {
        const char* dosPath;
        int expected;
    } cases[] = {
        {"C:\\folder", Attribute::Directory},
        {"C:\\FILE.TXT", Attribute::Archive},
        {"C:\\readonly.txt", Attribute::Archive | Attribute::ReadOnly},
        {"C:\\readonlyfolder", Attribute::Directory | Attribute::ReadOnly},
        {"C:\\.HIDDEN", Attribute::Archive | Attribute::Hidden},
        {"C:\\.hiddenfolder", Attribute::Directory | Attribute::Hidden},
        {"c:/.locked", Attribute::Archive | Attribute::Hidden | Attribute::ReadOnly},
        {"C:\\", Attribute::Directory},
        {"C:\\nothing", kMissing},
        {"C:\\Folder\\nothing\\deeper", kMissing},
        {"C:\\File.txt\\below", kMissing},
        {"Q:\\", kMissing},
    };
    for (const auto& c : cases) {
        const auto attributes = drives.fileSystem().attributes(c.dosPath);
        EXPECT_EQ(attributes ? *attributes : kMissing, c.expected) << c.dosPath;
    }
}

TEST(DeleteFile, RemovesTheFileFoundWithoutRegardToCaseAndNothingElse) {
    TempDrives drives;
    drives.makeFile('C', "Backup/Family.PDB");
    drives.makeFile('C', "Backup/Other.PDB");
    drives.makeFile('C', "a.txt");
    drives.makeFile('C', "A.TXT");
    drives.makeFile('C', "Keep/inside.txt", "kept");
    FileSystem& fileSystem = drives.fileSystem();

    EXPECT_EQ(outcome(fileSystem.deleteFile("c:\\BACKUP\\family.pdb")), "ok");
    EXPECT_EQ(outcome(fileSystem.deleteFile("C:\\A.TXT")), "ok");
    const Status folder = fileSystem.deleteFile("C:\\keep");
    ASSERT_FALSE(folder);
    EXPECT_TRUE(folder.error().contains("C:\\keep")) << folder.error().toStdString();
    for (const char* missing : {"C:\\Backup\\gone.pdb", "C:\\NoFolder\\gone.pdb", "Q:\\gone.pdb"})
        EXPECT_FALSE(fileSystem.deleteFile(missing)) << missing;

    EXPECT_EQ(hostNames(drives.drive('C')), (QStringList{"Backup", "Keep", "a.txt"}));
    EXPECT_EQ(hostNames(drives.host('C', "Backup")), QStringList{"Other.PDB"});
    EXPECT_EQ(drives.readHostFile(drives.host('C', "Keep/inside.txt")), "kept");
}

TEST(ReadFile, RefusesAFileLargerThanTheLimitAndWhatIsNoFile) {
    TempDrives drives;
    drives.makeFolder('C', "Folder");
    FileSystem& fileSystem = drives.fileSystem();
    const struct {
        qint64 size;
        qint64 maxBytes;
        bool accepted;
    } cases[] = {{0, 0, true}, {10, 11, true}, {10, 10, true}, {11, 10, false}, {100000, 4096, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " bytes, at most " + std::to_string(c.maxBytes));
        const QByteArray content(c.size, 'x');
        drives.makeFile('C', "Famlore.ini", content);
        const auto read = fileSystem.readFile("c:\\FAMLORE.INI", c.maxBytes);
        ASSERT_EQ(read.ok(), c.accepted) << (read ? "read" : read.error().toStdString());
        if (read)
            EXPECT_EQ(*read, content);
        else
            EXPECT_TRUE(read.error().contains("c:\\FAMLORE.INI")) << read.error().toStdString();
    }
    for (const char* path : {"C:\\missing.ini", "C:\\Folder", "C:\\", "Q:\\x.ini"})
        EXPECT_FALSE(fileSystem.readFile(path, 1000)) << path;
}

TEST(ReplaceFile, WritesOverTheFileFoundWithoutRegardToCaseOrCreatesItButNeverReplacesAFolder) {
    TempDrives drives;
    drives.makeFile('C', "Palm/FAMLORE.INI", "old");
    drives.makeFile('C', "Palm/Target/inside.txt", "kept");
    FileSystem& fileSystem = drives.fileSystem();

    EXPECT_EQ(outcome(fileSystem.replaceFile("C:\\palm\\famlore.ini", "new")), "ok");
    EXPECT_EQ(outcome(fileSystem.replaceFile("C:\\PALM\\Other.ini", "first")), "ok");
    // The host's own error ("Filename refers to a directory") would not say what stands in the way.
    EXPECT_EQ(outcome(fileSystem.replaceFile("C:\\Palm\\target", "content")),
              "error: C:\\Palm\\target cannot be written: a folder of that name is in the way.");

    EXPECT_EQ(hostNames(drives.host('C', "Palm")), (QStringList{"FAMLORE.INI", "Other.ini", "Target"}));
    EXPECT_EQ(hostNames(drives.host('C', "Palm/Target")), QStringList{"inside.txt"});
    EXPECT_EQ(drives.readHostFile(drives.host('C', "Palm/FAMLORE.INI")), "new");
    EXPECT_EQ(drives.readHostFile(drives.host('C', "Palm/Other.ini")), "first");
    EXPECT_EQ(drives.readHostFile(drives.host('C', "Palm/Target/inside.txt")), "kept");
}

TEST(ReplaceFile, ThatFailsKeepsTheOldContentAndLeavesNoTemporaryFile) {
    TempDrives drives;
    const QByteArray old = "[Famlore]\r\nUserFolder=C:\\Palm\\User1\r\n";
    const QString target = drives.makeFile('C', "Palm/Famlore.ini", old);
    FileSystem& fileSystem = drives.fileSystem();

    // A small content fails only when the last of it is flushed to disk, a large one already while written.
    for (const int size : {2 * 1024, 64 * 1024}) {
        SCOPED_TRACE(size);
        Status replaced;
        {
            testing::FileSizeLimit limit(1024);
            ASSERT_TRUE(limit.active());
            replaced = fileSystem.replaceFile("C:\\Palm\\Famlore.ini", QByteArray(size, 'x'));
        }
        ASSERT_FALSE(replaced);
        EXPECT_TRUE(replaced.error().contains("C:\\Palm\\Famlore.ini")) << replaced.error().toStdString();
        EXPECT_EQ(drives.readHostFile(target), old);
        EXPECT_EQ(hostNames(QFileInfo(target).path()), QStringList{"Famlore.ini"});
    }
}

TEST(SnapshotScope, ShowsEachFolderAsItWasFirstReadUntilTheLastScopeCloses) {
    TempDrives drives;
    drives.makeFile('C', "Backup/OneP.PDB");
    FileSystem& fileSystem = drives.fileSystem();
    const QString pattern = "C:\\Backup\\*.pdb";
    {
        const auto outer = fileSystem.snapshotScope();
        {
            const auto inner = fileSystem.snapshotScope();
            EXPECT_EQ(testing::joined(fileSystem.list(pattern, ListMask::Normal)), "OneP.PDB");
        }
        drives.makeFile('C', "Backup/TwoP.PDB");
        EXPECT_EQ(testing::joined(fileSystem.list(pattern, ListMask::Normal)), "OneP.PDB");
        EXPECT_FALSE(fileSystem.exists("C:\\Backup\\twop.pdb", ListMask::Normal));
    }
    EXPECT_EQ(testing::joined(fileSystem.list(pattern, ListMask::Normal)), "OneP.PDB|TwoP.PDB");
    EXPECT_TRUE(fileSystem.exists("C:\\Backup\\twop.pdb", ListMask::Normal));
}

} // namespace
} // namespace fambridge::platform
