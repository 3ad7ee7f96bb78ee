#include "platform/file_system.h"
#include "platform_test_support.h"
#include "temp_drives.h"
#include "test_table.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fambridge::platform {
namespace {

using testing::joined;
using testing::TempDrives;

void setMark(const QString& hostPath, const QByteArray& mark) {
    if (::setxattr(QFile::encodeName(hostPath).constData(), "user.DOSATTRIB", mark.constData(),
                   std::size_t(mark.size()), 0) != 0)
        throw std::runtime_error("cannot mark " + hostPath.toStdString());
}

// Makes the entries, separated by "; ", on drive C: in order: "Dir/" a folder, "file" an empty file,
// "file :text" a file holding the text, "link -> target" a symbolic link, "pipe |" a named pipe, "entry @0x2"
// an entry with Wine's mark of its DOS attributes, "entry %444" an entry with these permissions, which are
// set once everything is made.
void make(TempDrives& drives, const QString& entries) {
    std::vector<std::pair<QByteArray, uint>> modes;
    for (const QString& entry : entries.simplified().split(QStringLiteral("; "))) {
        const QString name = entry.section(' ', 0, 0), kind = entry.section(' ', 1, 1);
        const QString host = drives.host('C', name), argument = entry.section(' ', 2);
        QDir().mkpath(QFileInfo(host).path());
        if (kind == "->")
            QFile::link(argument, host);
        else if (kind == "|")
            ::mkfifo(QFile::encodeName(host).constData(), 0644);
        else
            name.endsWith('/') ? drives.makeFolder('C', name)
                               : drives.makeFile('C', name, kind.startsWith(':') ? kind.mid(1).toUtf8() : "");
        if (kind.startsWith('@'))
            setMark(host, kind.mid(1).toLatin1());
        if (kind.startsWith('%'))
            modes.emplace_back(QFile::encodeName(host), kind.mid(1).toUInt(nullptr, 8));
        if (!QFileInfo(host).isSymLink() && !QFileInfo::exists(host))
            throw std::runtime_error("cannot make " + entry.toStdString());
    }
    for (const auto& [host, mode] : modes)
        ::chmod(host.constData(), mode);
}

// One query, answered in one string: "parse" a path (drive, components joined by '|', a final '\' for a
// trailing separator), list it with the "dir" or the "file" mask, its "attr"ibutes, "path" for both, "read"
// it as a folder, "cd" into it for the current directory that follows, "delete" it, "replace" it, "read10" it
// with a limit of 10 bytes, the DOS path of a host path below the prefix ("dos"), or "join" a folder|name.
// A failure is "error".
QString answer(TempDrives& drives, const QString& kind, const QString& path) {
    FileSystem& fileSystem = drives.fileSystem();
    const auto parsed = [&] {
        const auto dos = fileSystem.parse(path);
        return dos ? dos->drive + (':' + dos->components.join('|')) + (dos->trailingSeparator ? "\\" : "")
                   : "error";
    };
    const auto attributes = [&] {
        const auto bits = fileSystem.attributes(path);
        return bits ? QString::number(int(*bits)) : QStringLiteral("-1");
    };
    const auto listed = [&](ListMask mask) { return joined(fileSystem.list(path, mask)); };
    const auto folder = [&] {
        const auto entries = fileSystem.readFolder(path);
        QStringList shown;
        for (const FolderEntry& entry : entries ? *entries : std::vector<FolderEntry>{})
            shown.append(entry.name + (entry.isFolder ? "/" : ""));
        return entries ? shown.join('|') : "error";
    };
    const auto host = fileSystem.toHost(path);
    const auto dos = fileSystem.toDos(drives.prefix() + '/' + path);
    return kind == "parse"  ? parsed()
           : kind == "dir"  ? listed(ListMask::Directory)
           : kind == "file" ? listed(ListMask::Normal)
           : kind == "attr" ? attributes()
           : kind == "path" ? QString(listed(ListMask::Directory) + ' ' + attributes()).trimmed()
           : kind == "read" ? folder()
           : kind == "cd"
               ? testing::valueOrError(host && QDir::setCurrent(*host) ? fileSystem.currentDirectory() : host)
           : kind == "delete"  ? testing::outcome(fileSystem.deleteFile(path))
           : kind == "replace" ? testing::outcome(fileSystem.replaceFile(path, "new"))
           : kind == "read10"  ? testing::valueOrError(fileSystem.readFile(path, 10))
           : kind == "dos"     ? (dos ? *dos : "error")
           : kind == "join"    ? childPath(path.section('|', 0, 0), path.section('|', 1))
                               : "no such query";
}

// Asks the queries of a table in order, "kind path = expected" each, separated by "; " or a line end. An
// empty answer is "-".
void expectAnswers(TempDrives& drives, const QString& table, const char* context = "") {
    for (const QString& query : QString(table).replace('\n', "; ").split("; ", Qt::SkipEmptyParts)) {
        const qsizetype equals = query.indexOf(" = ");
        const QString asked = query.left(equals),
                      answered = answer(drives, asked.section(' ', 0, 0), asked.section(' ', 1));
        EXPECT_EQ(answered.isEmpty() ? "-" : answered, query.mid(equals + 3))
            << asked.toStdString() << context;
    }
}

// Lays out the drives by a table's rows "make ENTRY", in the form make() reads, and returns its queries.
QString madeAndAsked(TempDrives& drives, const QString& table) {
    QStringList queries;
    for (const QString& row : testing::tableRows(table))
        row.startsWith("make ") ? make(drives, row.mid(5)) : queries.append(row);
    return queries.join('\n');
}

// The last two would lose their ends on the way through a DOS path, and lead to another file or none.
const char* const kBadNames[] = {"say \"hi\".ged", "10:30.ged",     "a|b.ged",   "back\\slash.ged",
                                 "what?.ged",      "star*.ged",     "less<.ged", "tab\t.ged",
                                 "ends in dot.",   "ends in blank "};

TEST(Queries, AreAnsweredAsWindowsAnswersThemInAndOutOfASnapshotScope) {
    TempDrives drives;
    const QString queries = madeAndAsked(drives, "queries.txt");
    for (const char* name : kBadNames)
        drives.makeFile('C', QString("Listing/") + name);
    // Names no decoder may accept: 0xFF, an overlong slash and an encoded surrogate, which lenient decoders
    // take.
    const QByteArray listing = QFile::encodeName(drives.host('C', "Listing"));
    const QByteArray undecodable[] = {listing + "/bad\xFF.ged", listing + "/bad\xC0\xAF.ged",
                                      listing + "/bad\xED\xA0\x80.ged"};
    for (const QByteArray& name : undecodable)
        ASSERT_TRUE(std::ofstream(name.constData()));
    drives.makeFolder('D', "Elsewhere");

    for (const bool inScope : {false, true}) {
        // Inside a snapshot scope names are found in folder readings instead of by stat().
        std::optional<FolderCache::Scope> scope;
        if (inScope)
            scope.emplace(drives.fileSystem().snapshotScope());
        expectAnswers(drives, queries, inScope ? " in a scope" : "");
    }
    EXPECT_FALSE(drives.fileSystem().parse(QString("C:\\a") + QChar(0) + "b"));
    for (const char* name : kBadNames)
        EXPECT_FALSE(drives.fileSystem().toDos(drives.host('C', QString("Listing/") + name))) << name;
    // Qt cannot remove what it cannot name, nor what it may not enter, so the temporary folder would stay.
    for (const QByteArray& name : undecodable)
        ::unlink(name.constData());
}

// Even a name given exactly, which outside a scope costs one stat(), is looked for in the reading.
TEST(SnapshotScope, ShowsEachFolderAsItWasFirstReadUntilTheLastScopeCloses) {
    TempDrives drives;
    drives.makeFile('C', "Backup/OneP.PDB");
    {
        const auto outer = drives.fileSystem().snapshotScope();
        expectAnswers(drives, R"(file C:\Backup\*.pdb = OneP.PDB)");
        // Closing an inner scope keeps the readings of the outer one.
        drives.fileSystem().snapshotScope();
        drives.makeFile('C', "Backup/TwoP.PDB");
        expectAnswers(drives, R"(file C:\Backup\*.pdb = OneP.PDB; file C:\Backup\TwoP.PDB = -)");
    }
    expectAnswers(drives, R"(file C:\Backup\*.pdb = OneP.PDB|TwoP.PDB; file C:\Backup\twop.pdb = TwoP.PDB)");
}

TEST(ChangingFiles, FindsTheFileWithoutRegardToCaseAndRefusesAFolderAMissingFileAndAReadOnlyOrHiddenOne) {
    TempDrives drives;
    expectAnswers(drives, madeAndAsked(drives, "changing.txt"));
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

// Of the drives whose roots lie above a host path, whatever links lead there, the deepest wins, and of
// equally deep ones the lowest letter; a sibling whose name merely begins with a drive folder's name is not
// inside it. Opening a prefix that has drives adds none, not even Z:, and a drive that leads nowhere holds
// nothing.
TEST(DriveMap, PutsAHostPathOnTheDriveWithTheDeepestRootAndOfEqualOnesTheLowestLetter) {
    TempDrives drives;
    const QString queries = madeAndAsked(drives, "drive_map.txt");
    EXPECT_EQ(drives.fileSystem().driveMap().drives(), (QList<QChar>{'C', 'D', 'E', 'F', 'G'}));
    expectAnswers(drives, queries);
}

// Settings besides HOME, a name without '=' a folder made in the home folder, and the prefix chosen, in which
// "~" stands for the home folder. A ~/.wine without drives is no Wine set-up to share.
TEST(DriveMap, LocatePrefixFollowsTheOrderOfPreference) {
    for (const auto& [settings, expected] : {
             std::pair{"FAMBRIDGE_PREFIX=/p/own WINEPREFIX=/p/wine XDG_DATA_HOME=/p/data .wine/dosdevices",
                       "/p/own"},
             {"FAMBRIDGE_PREFIX= WINEPREFIX=/p/wine XDG_DATA_HOME=/p/data .wine/dosdevices", "/p/wine"},
             {"XDG_DATA_HOME=/p/data .wine/dosdevices", "~/.wine"},
             {"XDG_DATA_HOME=/p/data .wine/drive_c", "/p/data/fambridge"},
             {"", "~/.local/share/fambridge"},
         }) {
        QTemporaryDir home;
        QProcessEnvironment environment;
        environment.insert("HOME", home.path());
        for (const QString& setting : QString(settings).split(' ', Qt::SkipEmptyParts))
            setting.contains('=') ? environment.insert(setting.section('=', 0, 0), setting.section('=', 1))
                                  : void(QDir(home.path()).mkpath(setting));
        EXPECT_EQ(DriveMap::locatePrefix([&](const char* name) { return environment.value(name); }),
                  QString(expected).replace('~', home.path()));
    }
}

} // namespace
} // namespace fambridge::platform
