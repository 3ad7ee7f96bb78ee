#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include "file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "unprivileged.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fambridge::platform {
namespace {

using testing::outcome;
using testing::TempDrives;
using testing::valueOrError;

// Names in one string, so that a table row states a whole listing and a failure shows all of it.
inline QString joined(const std::vector<QString>& names) {
    return QStringList(names.begin(), names.end()).join(QLatin1Char('|'));
}

// Every name in a host folder, hidden ones included, in the host's own byte order: what is really there.
inline QStringList hostNames(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Sets the process's current folder for one test and restores the old one. Declare it after the TempDrives
// it points into, so the folder is left before it is removed.
struct CurrentFolderGuard {
    explicit CurrentFolderGuard(const QString& folder) {
        if (!QDir::setCurrent(folder))
            throw std::runtime_error("cannot enter " + folder.toStdString());
    }
    ~CurrentFolderGuard() { QDir::setCurrent(saved); }
    const QString saved = QDir::currentPath();
};

// Points a drive letter of a prefix at any host folder; a DriveMap opened before does not see the change.
inline void linkDrive(const QString& prefix, QChar letter, const QString& target) {
    const QString link = prefix + QStringLiteral("/dosdevices/") + letter.toLower() + QLatin1Char(':');
    QFile::remove(link);
    if (!QFile::link(target, link))
        throw std::runtime_error("cannot link " + link.toStdString());
}

// A parse in one string: drive, components joined by '|' (so a separator left inside one shows) and a
// final '\' for a trailing separator.
QString parsed(const FileSystem& fileSystem, const QString& path) {
    const auto result = fileSystem.parse(path);
    if (!result)
        return QStringLiteral("error: ") + result.error();
    return QString(result->drive) + QLatin1Char(':') + result->components.join(QLatin1Char('|')) +
           (result->trailingSeparator ? QStringLiteral("\\") : QString());
}

TEST(ParseDosPath, ResolvesEveryFormAgainstTheFolderTheProcessIsIn) {
    TempDrives drives;
    drives.makeFolder('C', "Work/Sub");
    drives.makeFolder('D', "Elsewhere");
    linkDrive(drives.prefix(), 'Z', "/");
    const FileSystem& fileSystem = drives.fileSystem();
    CurrentFolderGuard current(drives.host('C', "Work/Sub"));

    for (const auto& [path, expected] : {
             std::pair{"C:/Palm\\User1/Backup", "C:Palm|User1|Backup"},
             {"C:\\\\Palm//\\User1\\\\", "C:Palm|User1\\"},
             {"C:\\", "C:\\"},
             // A drive without a separator is relative to that drive's current folder, the root of any drive
             // the process is not in.
             {"c:a", "C:Work|Sub|a"},
             {"D:a\\b", "D:a|b"},
             {"\\a", "C:a"},
             {"a\\b", "C:Work|Sub|a|b"},
             {"..\\..\\..\\..", "C:"},
             {"C:\\a\\.\\b\\..\\c", "C:a|c"},
         }) {
        EXPECT_EQ(parsed(fileSystem, path), expected) << path;
    }
    EXPECT_EQ(valueOrError(fileSystem.currentDirectory()), "C:\\Work\\Sub");
    for (const QString& path :
         {QString(), QString("1:\\a"), QString("\\\\server\\share\\a"), QString("C:\\a") + QChar(0) + "b"})
        EXPECT_FALSE(fileSystem.parse(path)) << path.toStdString();

    // Z: holds the process's folder too, but only the current drive has a current folder below its root.
    EXPECT_EQ(parsed(fileSystem, "Z:x"), "Z:x");

    // The current drive, too, follows the process's folder.
    CurrentFolderGuard elsewhere(drives.host('D', "Elsewhere"));
    EXPECT_EQ(parsed(fileSystem, "C:x") + ' ' + parsed(fileSystem, "\\x") + ' ' + parsed(fileSystem, "x"),
              "C:x D:x D:Elsewhere|x");
    EXPECT_EQ(valueOrError(fileSystem.currentDirectory()), "D:\\Elsewhere");
}

TEST(ParseDosPath, DropsTrailingDotsAndBlanksAsWindowsDoes) {
    TempDrives drives;
    const FileSystem& fileSystem = drives.fileSystem();
    for (const auto& [path, expected] : {
             // From the last name every trailing dot and blank...
             std::pair{"C:\\PALM\\FamilyP.PDB.", "C:PALM|FamilyP.PDB"},
             {"C:\\PALM\\FamilyP.PDB ", "C:PALM|FamilyP.PDB"},
             {"C:\\PALM\\FamilyP.PDB. . .", "C:PALM|FamilyP.PDB"},
             {"C:\\PALM\\ Lead", "C:PALM| Lead"},
             // ...but from a folder on the way one dot only, and no blank.
             {"C:\\PALM.\\x", "C:PALM|x"},
             {"C:\\PALM..\\x", "C:PALM.|x"},
             {"C:\\PALM \\x", "C:PALM |x"},
             {"C:\\PALM.\\", "C:PALM\\"},
             {"C:\\PALM \\", "C:PALM \\"},
             // A last name of dots and blanks alone leaves the folder, as if a separator ended the path.
             {"C:\\PALM\\...", "C:PALM\\"},
             {"C:\\PALM\\. .", "C:PALM\\"},
             // A pattern keeps its dots for the matcher; "." and ".." stay what they are.
             {"C:\\PALM\\*P.PDB.", "C:PALM|*P.PDB."},
             {"C:\\PALM\\*.", "C:PALM|*."},
             {"C:\\PALM\\.\\x\\..\\y", "C:PALM|y"},
         }) {
        EXPECT_EQ(parsed(fileSystem, path), expected) << path;
    }
}

TEST(Lookup, FindsEveryComponentWithoutRegardToCaseButPrefersTheExactSpelling) {
    TempDrives drives;
    for (const char* file : {"PALM/User1/BACKUP/X", "Data/which.txt", "DATA/which.txt"})
        drives.makeFile('C', file);
    FileSystem& fileSystem = drives.fileSystem();
    for (const bool inScope : {false, true}) {
        // Inside a snapshot scope names are found in folder readings instead of by stat().
        std::optional<FolderCache::Scope> scope;
        if (inScope)
            scope.emplace(fileSystem.snapshotScope());
        for (const auto& [dosPath, expected] : {
                 std::pair{"c:\\palm\\USER1\\backup\\x", "PALM/User1/BACKUP/X"},
                 // From the first missing component on the spelling given is kept, for a file to be created.
                 {"c:\\palm\\New Folder\\File.INI", "PALM/New Folder/File.INI"},
                 {"C:\\Data\\which.txt", "Data/which.txt"},
                 {"C:\\DATA\\which.txt", "DATA/which.txt"},
                 // Without an exact spelling the one a listing gives first wins, whatever order the host
                 // reads.
                 {"C:\\data\\WHICH.TXT", "DATA/which.txt"},
             }) {
            EXPECT_EQ(valueOrError(fileSystem.toHost(dosPath)), drives.host('C', expected))
                << dosPath << (inScope ? " in a scope" : "");
        }
    }
}

// The last two would lose their ends on the way through a DOS path, and lead to another file or none.
const char* const kBadNames[] = {"say \"hi\".ged", "10:30.ged",     "a|b.ged",   "back\\slash.ged",
                                 "what?.ged",      "star*.ged",     "less<.ged", "tab\t.ged",
                                 "ends in dot.",   "ends in blank "};

// C:\Listing holds ordinary files, a folder, hidden entries, entries that are neither file nor folder, and
// names that Windows cannot hold or the host cannot decode: these could never be reached again through a DOS
// path or the settings file, so they do not exist for the program.
class Listing : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kBadNames)
            m_drives.makeFile('C', QString("Listing/") + name);
        // Created out of listing order, so that the host's own order cannot pass for it.
        for (const char* name : {"familyp.pdb", "FAMILYE.PDB", "Notes.txt", "data", "DATA", ".Hidden.txt"})
            m_drives.makeFile('C', QString("Listing/") + name);
        for (const char* name : {"Sub", ".HiddenFolder"})
            m_drives.makeFolder('C', QString("Listing/") + name);
        m_drives.makeFile('C', "RootFile.txt");

        const QString folder = m_drives.host('C', "Listing");
        if (::mkfifo(QFile::encodeName(folder + "/pipe").constData(), 0644) != 0 ||
            !QFile::link("Notes.txt", folder + "/LinkedFile") || !QFile::link("nowhere", folder + "/broken"))
            FAIL() << "cannot create the pipe and the links";
        ASSERT_TRUE(std::ofstream(m_undecodable.constData()));
    }
    // Qt cannot remove what it cannot name, so the temporary folder would stay behind.
    void TearDown() override { ::unlink(m_undecodable.constData()); }

    TempDrives m_drives;
    const QByteArray m_undecodable = QFile::encodeName(m_drives.host('C', "Listing")) + "/bad\xFF.ged";
};

TEST_F(Listing, GivesTheVisibleEntriesTheMaskAdmitsInCaseBlindOrderAndNoNameWindowsCannotHold) {
    const std::string files = "DATA|data|FAMILYE.PDB|familyp.pdb|LinkedFile|Notes.txt";
    const auto listed = [&](const char* pattern, ListMask mask) {
        return joined(m_drives.fileSystem().list(pattern, mask)).toStdString();
    };
    // Only the directory mask adds folders, and the dots only in a folder below the root.
    EXPECT_EQ(listed("C:\\Listing\\*", ListMask::Normal), files);
    EXPECT_EQ(listed("c:/listing/", ListMask::Directory), ".|..|" + files + "|Sub");
    EXPECT_EQ(listed("C:\\", ListMask::Directory), "Listing|RootFile.txt");
    for (const auto& [pattern, expected] : {
             std::pair{"C:\\Listing\\Sub\\", ".|.."},
             // The process's folder lies on no drive, so C: stands for its root, which names itself; a path
             // that ends at a root otherwise leaves no name to list.
             {"C:", "C:"},
             {"C:\\Listing\\..", ""},
             {"C:\\Listing\\Sub\\..", "Listing"},
             // Dot files are hidden, whether matched by a wildcard or named.
             {"C:\\Listing\\*hidden*", ""},
             {"C:\\Listing\\.HIDDEN.TXT", ""},
             // A path that names one entry gives its spelling on disk, if the mask admits it.
             {"C:\\Listing\\notes.TXT", "Notes.txt"},
             {"C:\\listing\\SUB", "Sub"},
             {"C:\\Listing\\Notes.txt\\x", ""},
             {"C:\\Listing\\PIPE", ""},
         }) {
        EXPECT_EQ(listed(pattern, ListMask::Directory), expected) << pattern;
    }
    EXPECT_EQ(listed("C:\\listing\\SUB", ListMask::Normal), "");
    EXPECT_EQ(listed("C:\\Listing\\say \"hi\".ged", ListMask::Normal), "");
    for (const char* name : kBadNames)
        EXPECT_FALSE(m_drives.fileSystem().toDos(m_drives.host('C', QString("Listing/") + name))) << name;
}

TEST_F(Listing, WildcardGivesEveryMatchInListingOrderAndNothingWhenNoneMatches) {
    for (const auto& [pattern, expected] : {
             std::pair{"C:\\Listing\\*.pdb", "FAMILYE.PDB|familyp.pdb"},
             {"C:\\Listing\\*.txt", "Notes.txt"},
             {"C:\\*.ged", ""},
         }) {
        EXPECT_EQ(joined(m_drives.fileSystem().list(pattern, ListMask::Normal)).toStdString(), expected)
            << pattern;
    }
}

TEST_F(Listing, ReadFolderGivesVisibleFoldersAndOrdinaryFilesOnly) {
    const auto entries = m_drives.fileSystem().readFolder("c:\\LISTING");
    ASSERT_TRUE(entries) << entries.error().toStdString();
    QStringList shown;
    for (const FolderEntry& entry : *entries)
        shown.append(entry.name + (entry.isFolder ? "/" : ""));
    EXPECT_EQ(shown.join('|'), "DATA|data|FAMILYE.PDB|familyp.pdb|LinkedFile|Notes.txt|Sub/");

    const auto missing = m_drives.fileSystem().readFolder("C:\\Palm\\User9");
    EXPECT_TRUE(!missing && missing.error().contains("C:\\Palm\\User9")) << outcome(missing).toStdString();
}

TEST(Attributes, CarryWindowsBitsForTheEntryFoundAndFailForAMissingOne) {
    TempDrives drives;
    drives.makeFolder('C', "Folder");
    drives.makeFile('C', "File.txt");
    ASSERT_EQ(::chmod(QFile::encodeName(drives.makeFile('C', ".locked")).constData(), 0444), 0);
    for (const auto& [dosPath, expected] : {
             std::pair<const char*, std::optional<Attributes>>{"C:\\folder", Attribute::Directory},
             {"C:\\FILE.TXT", Attribute::Archive},
             {"c:/.LOCKED", Attribute::Archive | Attribute::Hidden | Attribute::ReadOnly},
             {"C:\\", Attribute::Directory},
             {"C:\\nothing", std::nullopt},
             {"Q:\\", std::nullopt},
         }) {
        const auto attributes = drives.fileSystem().attributes(dosPath);
        EXPECT_EQ(attributes ? std::optional(*attributes) : std::nullopt, expected) << dosPath;
    }
    // The numbers Windows gives these bits, which programs written for it compare with.
    for (const auto& [dosPath, windowsValue] :
         {std::pair{"C:\\folder", 16}, {"C:\\FILE.TXT", 32}, {"c:/.LOCKED", 35}}) {
        const auto attributes = drives.fileSystem().attributes(dosPath);
        EXPECT_EQ(attributes ? int(*attributes) : -1, windowsValue) << dosPath;
    }
}

TEST(DeleteFile, RemovesTheFileFoundWithoutRegardToCaseAndNothingElse) {
    TempDrives drives;
    for (const char* file : {"Backup/Family.PDB", "Backup/Other.PDB", "a.txt", "A.TXT", "Keep/inside.txt"})
        drives.makeFile('C', file);
    FileSystem& fileSystem = drives.fileSystem();

    const QStringList outcomes{
        outcome(fileSystem.deleteFile("c:\\BACKUP\\family.pdb")), outcome(fileSystem.deleteFile("C:\\A.TXT")),
        outcome(fileSystem.deleteFile("C:\\keep")), outcome(fileSystem.deleteFile("C:\\Backup\\gone.pdb")),
        outcome(fileSystem.deleteFile("Q:\\gone.pdb"))};
    EXPECT_EQ(outcomes, (QStringList{"ok", "ok", "error: C:\\keep cannot be deleted: it is a folder.",
                                     "error: C:\\Backup\\gone.pdb cannot be deleted: it does not exist.",
                                     "error: Drive Q: does not exist."}));

    EXPECT_EQ(hostNames(drives.drive('C')), (QStringList{"Backup", "Keep", "a.txt"}));
    EXPECT_EQ(hostNames(drives.host('C', "Backup")), QStringList{"Other.PDB"});
}

TEST(ReadFile, RefusesAFileLargerThanTheLimitAndWhatIsNoFile) {
    TempDrives drives;
    drives.makeFolder('C', "Folder");
    drives.makeFile('C', "Famlore.ini", "0123456789");
    FileSystem& fileSystem = drives.fileSystem();

    const auto read = fileSystem.readFile("c:\\FAMLORE.INI", 10);
    EXPECT_EQ(read ? *read : read.error().toUtf8(), "0123456789");
    EXPECT_EQ(outcome(fileSystem.readFile("c:\\FAMLORE.INI", 9)),
              "error: c:\\FAMLORE.INI is larger than 9 bytes.");
    for (const char* path : {"C:\\missing.ini", "C:\\Folder", "Q:\\x.ini"})
        EXPECT_FALSE(fileSystem.readFile(path, 1000)) << path;
}

TEST(ReplaceFile, WritesOverTheFileFoundWithoutRegardToCaseOrCreatesItButNeverReplacesAFolder) {
    TempDrives drives;
    drives.makeFile('C', "Palm/FAMLORE.INI", "old");
    drives.makeFile('C', "Palm/Target/inside.txt");
    FileSystem& fileSystem = drives.fileSystem();

    // The host's own error ("Filename refers to a directory") would not say what stands in the way.
    const QStringList outcomes{outcome(fileSystem.replaceFile("C:\\palm\\famlore.ini", "new")),
                               outcome(fileSystem.replaceFile("C:\\PALM\\Other.ini", "first")),
                               outcome(fileSystem.replaceFile("C:\\Palm\\target", "content"))};
    EXPECT_EQ(
        outcomes,
        (QStringList{"ok", "ok",
                     "error: C:\\Palm\\target cannot be written: a folder of that name is in the way."}));
    EXPECT_EQ(hostNames(drives.host('C', "Palm")), (QStringList{"FAMLORE.INI", "Other.ini", "Target"}));
    EXPECT_EQ(hostNames(drives.host('C', "Palm/Target")), QStringList{"inside.txt"});
    EXPECT_EQ(drives.readHostFile(drives.host('C', "Palm/FAMLORE.INI")) +
                  drives.readHostFile(drives.host('C', "Palm/Other.ini")),
              "newfirst");
}

TEST(ReplaceFile, ThatFailsKeepsTheOldContentAndLeavesNoTemporaryFile) {
    TempDrives drives;
    const QByteArray old = "[Famlore]\r\nUserFolder=C:\\Palm\\User1\r\n";
    const QString target = drives.makeFile('C', "Palm/Famlore.ini", old);
    FileSystem& fileSystem = drives.fileSystem();

    // A small content fails only when the last of it is flushed to disk, a large one already while written.
    for (const int size : {2 * 1024, 64 * 1024}) {
        Status replaced;
        {
            testing::FileSizeLimit limit(1024);
            ASSERT_TRUE(limit.active());
            replaced = fileSystem.replaceFile("C:\\Palm\\Famlore.ini", QByteArray(size, 'x'));
        }
        EXPECT_TRUE(!replaced && replaced.error().contains("C:\\Palm\\Famlore.ini")) << size;
        EXPECT_EQ(drives.readHostFile(target), old) << size;
        EXPECT_EQ(hostNames(QFileInfo(target).path()), QStringList{"Famlore.ini"}) << size;
    }
}

// Windows refuses both whoever asks; here the folder's permissions alone would allow them, and for root
// anything.
TEST(ReadOnlyFile, IsNeitherReplacedNorDeletedAndKeepsItsContent) {
    TempDrives drives;
    const QString settings = drives.makeFile('C', "Conv/Famlore.ini", "old");
    const QString install = drives.makeFile('C', "PALM/INSTALL/FAMLORIM.PDB", "waiting");
    for (const QString& file : {settings, install})
        ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    FileSystem& fileSystem = drives.fileSystem();

    EXPECT_EQ(outcome(fileSystem.replaceFile("c:\\conv\\famlore.ini", "new")),
              "error: c:\\conv\\famlore.ini cannot be written: it is read-only.");
    EXPECT_EQ(outcome(fileSystem.deleteFile("C:\\PALM\\INSTALL\\famlorim.pdb")),
              "error: C:\\PALM\\INSTALL\\famlorim.pdb cannot be deleted: it is read-only.");
    EXPECT_EQ(drives.readHostFile(settings) + drives.readHostFile(install), "oldwaiting");
}

TEST(SnapshotScope, ShowsEachFolderAsItWasFirstReadUntilTheLastScopeCloses) {
    TempDrives drives;
    drives.makeFile('C', "Backup/OneP.PDB");
    FileSystem& fileSystem = drives.fileSystem();
    const auto listed = [&] { return joined(fileSystem.list("C:\\Backup\\*.pdb", ListMask::Normal)); };
    {
        const auto outer = fileSystem.snapshotScope();
        {
            const auto inner = fileSystem.snapshotScope();
            EXPECT_EQ(listed(), "OneP.PDB");
        }
        drives.makeFile('C', "Backup/TwoP.PDB");
        EXPECT_EQ(listed(), "OneP.PDB");
        EXPECT_FALSE(fileSystem.exists("C:\\Backup\\twop.pdb", ListMask::Normal));
    }
    EXPECT_EQ(listed(), "OneP.PDB|TwoP.PDB");
    EXPECT_TRUE(fileSystem.exists("C:\\Backup\\twop.pdb", ListMask::Normal));
}

// Marks a host file or folder as Wine does when a Windows program sets its attributes.
void markDos(const QString& hostPath, const QByteArray& value) {
    if (::setxattr(QFile::encodeName(hostPath).constData(), "user.DOSATTRIB", value.constData(),
                   std::size_t(value.size()), 0) != 0)
        throw std::runtime_error("cannot set user.DOSATTRIB on " + hostPath.toStdString());
}

// Names compared as FindFirstFileW compares them under Wine: through Windows' upper-case table, one UTF-16
// unit at a time, with trailing dots and blanks dropped.
TEST(Lookup, ComparesLetterCaseThroughWindowsUpperCaseTableAndDropsTrailingDotsAndBlanks) {
    TempDrives drives;
    for (const QString& name :
         {QString("FamilyP.PDB"), QString("Straße.PDB"), QString::fromUtf16(u"\u212AELVIN.PDB"),
          QString("σοφος.txt"), QString("été.txt"), QString::fromUtf16(u"\U00010400.txt")})
        drives.makeFile('C', "PALM/" + name);
    FileSystem& fileSystem = drives.fileSystem();
    for (const bool inScope : {false, true}) {
        std::optional<FolderCache::Scope> scope;
        if (inScope)
            scope.emplace(fileSystem.snapshotScope());
        for (const auto& [pattern, expected] : {
                 std::pair<QString, QString>{"C:\\PALM\\familyp.pdb", "FamilyP.PDB"},
                 {"C:\\PALM\\FamilyP.PDB.", "FamilyP.PDB"},
                 {"C:\\PALM\\FamilyP.PDB ", "FamilyP.PDB"},
                 {"C:\\PALM\\FamilyP.PDB. .", "FamilyP.PDB"},
                 {"C:\\PALM.\\FamilyP.PDB", "FamilyP.PDB"},
                 {"C:\\PALM \\FamilyP.PDB", ""},
                 {"C:\\PALM\\*P.PDB.", "FamilyP.PDB"},
                 {"C:\\PALM\\ FamilyP.PDB", ""},
                 {"C:\\PALM\\STRAßE.PDB", "Straße.PDB"},
                 {"C:\\PALM\\STRAẞE.PDB", ""},
                 {"C:\\PALM\\STRASSE.PDB", ""},
                 {"C:\\PALM\\KELVIN.PDB", ""},
                 {QString::fromUtf16(u"C:\\PALM\\\u212Aelvin.pdb"), QString::fromUtf16(u"\u212AELVIN.PDB")},
                 {"C:\\PALM\\ΣΟΦΟΣ.TXT", ""},
                 {"C:\\PALM\\ΣΟΦΟς.TXT", "σοφος.txt"},
                 {"C:\\PALM\\ÉTÉ.TXT", "été.txt"},
                 {QString::fromUtf16(u"C:\\PALM\\\U00010428.txt"), ""},
                 {"C:\\PALM\\??.txt", QString::fromUtf16(u"\U00010400.txt")},
             }) {
            EXPECT_EQ(joined(fileSystem.list(pattern, ListMask::Normal)), expected)
                << pattern.toStdString() << (inScope ? " in a scope" : "");
        }
    }
}

TEST(Wildcards, StarDotFindsNamesWithoutAnExtensionAndOtherDosFormsAsWineDoes) {
    TempDrives drives;
    for (const char* name : {"README", "a.b.c", "FamilyP.PDB", "x", "y.z"})
        drives.makeFile('C', QString("Forms/") + name);
    drives.makeFolder('C', "Forms/Sub");
    FileSystem& fileSystem = drives.fileSystem();
    for (const auto& [pattern, mask, expected] : {
             std::tuple{"C:\\Forms\\*.", ListMask::Normal, "README|x"},
             {"C:\\Forms\\*.", ListMask::Directory, ".|..|README|Sub|x"},
             {"C:\\Forms\\*.*", ListMask::Normal, "a.b.c|FamilyP.PDB|README|x|y.z"},
             {"C:\\Forms\\README.*", ListMask::Normal, "README"},
             {"C:\\Forms\\?", ListMask::Directory, ".|x"},
             {"C:\\Forms\\>", ListMask::Normal, "x"},
             {"C:\\Forms\\README?", ListMask::Normal, ""},
             {"C:\\Forms\\*.?", ListMask::Directory, "..|a.b.c|y.z"},
             {"C:\\Forms\\<", ListMask::Normal, ""},
             {"C:\\Forms\\*P.PDB. ", ListMask::Normal, "FamilyP.PDB"},
         }) {
        EXPECT_EQ(joined(fileSystem.list(pattern, mask)).toStdString(), expected) << pattern;
    }
}

// Wine keeps the hidden and system bits a Windows program sets in user.DOSATTRIB, as text such as "0x22";
// Windows programs then see them, and listings leave the entry out.
TEST(DosAttributes, FromWinesMarkHideEntriesFromListingsAndShowInTheAttributes) {
    TempDrives drives;
    const QByteArray samba = QByteArray("0x22\0\3\0\3\0\0\0\21\0", 13);
    const struct {
        const char* name;
        QByteArray mark;
        int windowsValue; // as Wine's GetFileAttributesW gives it
    } cases[] = {
        {"hidden.txt", "0x2", 34},
        {"system.txt", "0x4", 36},
        {"both.txt", "0x6", 38},
        {"archived.txt", "0x22", 34},
        {"samba.txt", samba, 34},
        {"readonly.txt", "0x1", 32},
        {"wide.txt", "0x0000000000000102", 34},
        // Not as Wine writes it, so no mark at all.
        {"capital.txt", "0X2", 32},
        {"decimal.txt", "2", 32},
        {"blank.txt", "0x2 ", 32},
        {"empty.txt", "0x", 32},
        {"long.txt", QByteArray("0x2") + QByteArray(62, '\0'), 32},
        {"plain.txt", QByteArray(), 32},
    };
    for (const auto& c : cases) {
        const QString host = drives.makeFile('C', QString("Marked/") + c.name);
        if (!c.mark.isNull())
            markDos(host, c.mark);
    }
    markDos(drives.makeFolder('C', "Marked/HiddenFolder"), "0x2");
    drives.makeFile('C', "Marked/HiddenFolder/inside.txt");
    markDos(drives.makeFolder('C', "Marked/SystemFolder"), "0x4");
    FileSystem& fileSystem = drives.fileSystem();

    for (const auto& c : cases) {
        const QString path = QString("C:\\Marked\\") + c.name;
        const auto attributes = fileSystem.attributes(path);
        EXPECT_EQ(attributes ? int(*attributes) : -1, c.windowsValue) << c.name;
        EXPECT_EQ(fileSystem.exists(path, ListMask::Normal), c.windowsValue == 32) << c.name;
    }
    for (const auto& [path, windowsValue] : {std::pair{"C:\\Marked\\HiddenFolder", 18},
                                             {"C:\\Marked\\SystemFolder\\", 20},
                                             {"C:\\Marked\\HiddenFolder\\inside.txt", 32}}) {
        const auto attributes = fileSystem.attributes(path);
        EXPECT_EQ(attributes ? int(*attributes) : -1, windowsValue) << path;
    }
    for (const bool inScope : {false, true}) {
        std::optional<FolderCache::Scope> scope;
        if (inScope)
            scope.emplace(fileSystem.snapshotScope());
        for (const auto& [pattern, expected] : {
                 std::pair{"C:\\Marked\\*",
                           ".|..|blank.txt|capital.txt|decimal.txt|empty.txt|long.txt|plain.txt|"
                           "readonly.txt"},
                 {"C:\\Marked\\h*", ""},
                 {"C:\\Marked\\HIDDENFOLDER", ""},
                 // The dot of a hidden folder is hidden too, and its parent's is not.
                 {"C:\\Marked\\HiddenFolder\\", "..|inside.txt"},
             }) {
            EXPECT_EQ(joined(fileSystem.list(pattern, ListMask::Directory)).toStdString(), expected)
                << pattern << (inScope ? " in a scope" : "");
        }
    }
    const auto folder = fileSystem.readFolder("C:\\Marked");
    ASSERT_TRUE(folder) << folder.error().toStdString();
    QStringList shown;
    for (const FolderEntry& entry : *folder)
        shown.append(entry.name);
    EXPECT_EQ(shown.join('|'), "blank.txt|capital.txt|decimal.txt|empty.txt|long.txt|plain.txt|readonly.txt");
}

// Paths whose end Windows reads in its own way.
TEST(OddPaths, BareDriveDotsAtTheEndAndAFileFollowedByASeparatorAreTakenAsWindowsTakesThem) {
    TempDrives drives;
    drives.makeFile('C', "PALM/FamilyP.PDB");
    drives.makeFolder('C', "PALM/User1");
    FileSystem& fileSystem = drives.fileSystem();
    CurrentFolderGuard current(drives.host('C', "PALM/User1"));
    const auto attributes = [&](const char* path) {
        const auto result = fileSystem.attributes(path);
        return result ? int(*result) : -1;
    };
    for (const auto& [path, listedDirectory, windowsValue] : {
             // C: alone is C:'s current folder to the attribute query, and no name to a listing when that
             // folder lies below the root.
             std::tuple{"C:", "", 16},
             {"C:.", "User1", 16},
             {"C:..", "PALM", 16},
             {"C:*", ".|..", -1},
             {"C:\\PALM\\..", "", 16},
             {"C:\\PALM\\User1\\..", "PALM", 16},
             {"C:\\PALM\\...", "", 16},
             {"C:\\PALM\\FamilyP.PDB\\", "", -1},
             {"C:\\PALM\\FamilyP.PDB\\x", "", -1},
             {"C:\\PALM\\FamilyP.PDB\\.", "FamilyP.PDB", 32},
             {"C:\\PALM\\FamilyP.PDB\\..", "PALM", 16},
             {"C:\\PALM\\Missing\\..\\FamilyP.PDB", "FamilyP.PDB", 32},
             {"C:\\PALM\\User1\\", ".|..", 16},
         }) {
        EXPECT_EQ(joined(fileSystem.list(path, ListMask::Directory)).toStdString(), listedDirectory) << path;
        EXPECT_EQ(attributes(path), windowsValue) << path;
    }
}

// A separator after the link's name leads into its target, which is no reparse point.
TEST(Attributes, NamedPipeIsNoFileAndAFolderReachedThroughALinkIsAReparsePoint) {
    TempDrives drives;
    const QString folder = drives.makeFolder('C', "Links/Target");
    ASSERT_EQ(::mkfifo(QFile::encodeName(drives.host('C', "Links/pipe")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(folder, drives.host('C', "Links/Linked")));
    ASSERT_TRUE(QFile::link(drives.makeFile('C', "Links/file.txt"), drives.host('C', "Links/LinkedFile")));
    linkDrive(drives.prefix(), 'Z', "/");
    // The host's root is the mount point of its file system, which Wine marks as well.
    for (const auto& [path, windowsValue] : {std::pair{"C:\\Links\\pipe", -1},
                                             {"Z:\\", 0x410},
                                             {"C:\\", 16},
                                             {"C:\\Links\\Linked", 0x410},
                                             {"C:\\Links\\Linked\\", 16},
                                             {"C:\\Links\\LinkedFile", 32},
                                             {"C:\\Links\\Target", 16}}) {
        const auto attributes = drives.fileSystem().attributes(path);
        EXPECT_EQ(attributes ? int(*attributes) : -1, windowsValue) << path;
    }
}

// Windows lists a folder only when it may read it and enter it; a name it knows exactly it still finds in
// a folder it may enter but not read. Permission bits stop nothing for root, so this runs as nobody.
TEST(Permissions, ListingNeedsAFolderThatMayBeReadAndEnteredAndTheAttributeQueryOnlyEntered) {
    if (testing::rerunUnprivileged())
        return;
    TempDrives drives;
    for (const char* folder : {"Locked/EnterOnly", "Locked/ReadOnly", "Locked/Closed"})
        drives.makeFile('C', QString(folder) + "/File.txt");
    for (const auto& [folder, mode] :
         {std::pair{"Locked/EnterOnly", 0333}, {"Locked/ReadOnly", 0666}, {"Locked/Closed", 0}})
        ASSERT_EQ(::chmod(QFile::encodeName(drives.host('C', folder)).constData(), mode), 0) << folder;
    FileSystem& fileSystem = drives.fileSystem();
    for (const bool inScope : {false, true}) {
        std::optional<FolderCache::Scope> scope;
        if (inScope)
            scope.emplace(fileSystem.snapshotScope());
        for (const auto& [path, listed, windowsValue] : {
                 std::tuple{"C:\\Locked\\EnterOnly\\*", "", -1},
                 {"C:\\Locked\\EnterOnly\\File.txt", "", 32},
                 {"C:\\Locked\\EnterOnly\\FILE.TXT", "", -1},
                 {"C:\\Locked\\ReadOnly\\*", "", -1},
                 {"C:\\Locked\\ReadOnly\\File.txt", "", -1},
                 {"C:\\Locked\\Closed\\File.txt", "", -1},
                 {"C:\\Locked\\Closed", "Closed", 17},
                 {"C:\\Locked\\*", ".|..|Closed|EnterOnly|ReadOnly", -1},
             }) {
            const auto attributes = fileSystem.attributes(path);
            EXPECT_EQ(joined(fileSystem.list(path, ListMask::Directory)).toStdString(), listed)
                << path << (inScope ? " in a scope" : "");
            EXPECT_EQ(attributes ? int(*attributes) : -1, windowsValue)
                << path << (inScope ? " in a scope" : "");
        }
    }
    for (const char* folder : {"Locked/EnterOnly", "Locked/ReadOnly", "Locked/Closed"})
        ::chmod(QFile::encodeName(drives.host('C', folder)).constData(), 0755);
}

TEST(DriveMap, OpenOnAPrefixWithoutDrivesLinksCToDriveCAndZToTheRoot) {
    QTemporaryDir temporary;
    const QString prefix = temporary.path() + "/not-yet-created";
    const auto map = DriveMap::open(prefix);
    ASSERT_TRUE(map) << map.error().toStdString();

    const auto target = [](const QString& link) { return std::filesystem::read_symlink(link.toStdString()); };
    EXPECT_EQ(target(prefix + "/dosdevices/c:"), "../drive_c");
    EXPECT_EQ(target(prefix + "/dosdevices/z:"), "/");
    EXPECT_TRUE(QFileInfo(prefix + "/drive_c").isDir());
    EXPECT_EQ(map->drives(), (QList<QChar>{'C', 'Z'}));
}

TEST(DriveMap, DeepestDriveRootWinsWhicheverLetterItHas) {
    for (const auto& [outer, inner] : {std::pair{'C', 'D'}, std::pair{'D', 'C'}}) {
        TempDrives drives;
        const QString innerRoot = drives.makeFolder('C', "outer/Inner");
        const QString outerRoot = drives.host('C', "outer");
        linkDrive(drives.prefix(), outer, outerRoot);
        linkDrive(drives.prefix(), inner, innerRoot);
        // A host path reached through a link of its own still lies on the drive its target lies on.
        const QString alias = drives.prefix() + "/alias";
        ASSERT_TRUE(QFile::link(innerRoot, alias));
        const DriveMap& map = drives.fileSystem().driveMap();

        QStringList dos;
        for (const QString& path :
             {innerRoot, innerRoot + "/NotYet/new.txt", alias + "/x", outerRoot + "/Other"})
            dos.append(valueOrError(map.toDos(path)));
        const QString i = QString(QChar(inner)) + ":\\";
        EXPECT_EQ(dos, (QStringList{i, i + "NotYet\\new.txt", i + "x", QString(QChar(outer)) + ":\\Other"}))
            << "inner drive " << inner;
    }
}

TEST(DriveMap, RootsOfEqualDepthGoToTheLowestLetterButADeeperRootStillWins) {
    TempDrives drives;
    const QString innerRoot = drives.makeFolder('C', "Shared/Inner");
    const QString sharedRoot = drives.host('C', "Shared");
    // D: and F: name one folder, F: by a relative link; E: lies deeper and C: shallower.
    linkDrive(drives.prefix(), 'F', "../drive_c/Shared");
    linkDrive(drives.prefix(), 'E', innerRoot);
    linkDrive(drives.prefix(), 'D', sharedRoot);
    const DriveMap& map = drives.fileSystem().driveMap();

    for (const auto& [path, expected] : {
             std::pair<QString, QString>{sharedRoot, "D:\\"},
             {sharedRoot + "/NotYet/new.txt", "D:\\NotYet\\new.txt"},
             {innerRoot + "/x", "E:\\x"},
             {drives.host('C', "Other"), "C:\\Other"},
         }) {
        EXPECT_EQ(valueOrError(map.toDos(path)), expected) << path.toStdString();
    }
}

TEST(DriveMap, HostPathUnderNoDriveIsAnErrorNamingIt) {
    TempDrives drives;
    // A sibling whose name merely begins with the drive folder's name is not inside it.
    const QString sibling = drives.drive('C') + "2";
    QDir().mkpath(sibling);
    const DriveMap& map = drives.fileSystem().driveMap();

    for (const QString& path : {sibling + "/file.txt", drives.prefix()}) {
        const auto dos = map.toDos(path);
        EXPECT_TRUE(!dos && dos.error().contains(path)) << valueOrError(dos).toStdString();
    }
}

TEST(DriveMap, DriveThatIsMissingOrLinksNowhereHoldsNothing) {
    TempDrives drives;
    const QString gone = drives.prefix() + "/gone";
    linkDrive(drives.prefix(), 'D', gone);
    FileSystem& fileSystem = drives.fileSystem();

    // Opening a prefix that has drives adds none, not even Z:.
    EXPECT_EQ(fileSystem.driveMap().drives(), (QList<QChar>{'C', 'D'}));
    EXPECT_FALSE(fileSystem.driveMap().toDos(gone + "/x"));
    const auto host = fileSystem.toHost("Q:\\x.txt");
    EXPECT_TRUE(!host && host.error().contains("Q:")) << valueOrError(host).toStdString();
    for (const char* path : {"D:", "D:\\*", "D:\\x", "q:", "q:\\x"})
        EXPECT_TRUE(fileSystem.list(path, ListMask::Directory).empty()) << path;
}

TEST(DriveMap, LocatePrefixFollowsTheOrderOfPreference) {
    const struct {
        const char* environment; // besides HOME
        const char* dotWine;     // what there is of ~/.wine
        const char* expected;    // "~" stands for the home folder
    } cases[] = {
        {"FAMBRIDGE_PREFIX=/p/own WINEPREFIX=/p/wine XDG_DATA_HOME=/p/data", "dosdevices", "/p/own"},
        {"FAMBRIDGE_PREFIX= WINEPREFIX=/p/wine XDG_DATA_HOME=/p/data", "dosdevices", "/p/wine"},
        {"XDG_DATA_HOME=/p/data", "dosdevices", "~/.wine"},
        // A ~/.wine without drives is no Wine set-up to share.
        {"XDG_DATA_HOME=/p/data", "drive_c", "/p/data/fambridge"},
        {"", "", "~/.local/share/fambridge"},
    };
    for (const auto& c : cases) {
        QTemporaryDir home;
        QDir().mkpath(home.path() + "/.wine/" + c.dotWine);
        QProcessEnvironment environment;
        environment.insert("HOME", home.path());
        for (const QString& setting : QString(c.environment).split(' ', Qt::SkipEmptyParts))
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
        EXPECT_EQ(DriveMap::locatePrefix([&](const char* name) { return environment.value(name); }),
                  QString(c.expected).replace('~', home.path()));
    }
}

} // namespace
} // namespace fambridge::platform
