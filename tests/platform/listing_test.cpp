#include "platform/file_system.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fambridge::platform {
namespace {

using testing::joined;
using testing::TempDrives;

// C:\Listing holds ordinary files, two folders, hidden entries and entries that are neither file nor folder.
class Listing : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"familyp.pdb", "FAMILYE.PDB", "Notes.txt", "README", "a[1].txt", ".hidden", ".Hidden.txt"})
            m_drives.makeFile('C', QString("Listing/") + name);
        for (const char* name : {"Sub", "Sub.dir", ".HiddenFolder"})
            m_drives.makeFolder('C', QString("Listing/") + name);
        m_drives.makeFile('C', ".rootHidden");
        m_drives.makeFile('C', "RootFile.txt");

        const QString folder = m_drives.host('C', "Listing");
        if (::mkfifo(QFile::encodeName(folder + "/pipe").constData(), 0644) != 0 ||
            !QFile::link("Notes.txt", folder + "/LinkedFile") || !QFile::link("nowhere", folder + "/broken"))
            FAIL() << "cannot create the pipe and the links";
    }

    TempDrives m_drives;
};

const std::string kFiles = "a[1].txt|FAMILYE.PDB|familyp.pdb|LinkedFile|Notes.txt|README";
const std::string kEverything = ".|..|" + kFiles + "|Sub|Sub.dir";

TEST_F(Listing, GivesTheVisibleEntriesTheMaskAdmitsInCaseBlindOrder) {
    const struct {
        const char* pattern;
        ListMask mask;
        std::string expected;
    } cases[] = {
        // Only the directory mask adds folders, and the dots only in a folder below the root.
        {"C:\\Listing\\*", ListMask::Normal, kFiles},
        {"C:\\Listing\\*", ListMask::Directory, kEverything},
        {"C:\\Listing\\*.*", ListMask::Normal, kFiles},
        {"C:\\Listing\\", ListMask::Normal, kFiles},
        {"c:/listing/", ListMask::Directory, kEverything},
        {"C:\\Listing\\Sub\\", ListMask::Directory, ".|.."},
        {"C:\\Listing\\Sub\\", ListMask::Normal, ""},
        {"C:\\", ListMask::Directory, "Listing|RootFile.txt"},
        {"c:/*.*", ListMask::Directory, "Listing|RootFile.txt"},
        {"C:\\*", ListMask::Normal, "RootFile.txt"},
        // The process's folder lies on no drive, so C: stands for its root, which names itself.
        {"C:", ListMask::Directory, "C:"},
        {"C:", ListMask::Normal, ""},
        {"C:\\Listing\\*P.PDB", ListMask::Normal, "familyp.pdb"},
        {"C:\\Listing\\*.txt", ListMask::Directory, "a[1].txt|Notes.txt"},
        {"C:\\Listing\\SUB*", ListMask::Directory, "Sub|Sub.dir"},
        {"C:\\Listing\\SUB*", ListMask::Normal, ""},
        {"C:\\Listing\\*.ged", ListMask::Normal, ""},
        // Dot files are hidden, whether matched by a wildcard or named.
        {"C:\\Listing\\.*", ListMask::Directory, ".|.."},
        {"C:\\Listing\\*hidden*", ListMask::Directory, ""},
        {"C:\\Listing\\*hidden*", ListMask::Normal, ""},
        {"C:\\Listing\\.HIDDEN.TXT", ListMask::Directory, ""},
        {"C:\\Listing\\.hiddenfolder", ListMask::Directory, ""},
        {"C:\\.roothidden", ListMask::Normal, ""},
        // A path that names one entry gives its spelling on disk.
        {"C:\\Listing\\notes.TXT", ListMask::Normal, "Notes.txt"},
        {"c:/LISTING/NOTES.txt", ListMask::Directory, "Notes.txt"},
        {"C:\\Listing\\A[1].TXT", ListMask::Normal, "a[1].txt"},
        {"C:\\Listing\\linkedfile", ListMask::Normal, "LinkedFile"},
        {"C:\\listing\\SUB", ListMask::Directory, "Sub"},
        {"C:\\LISTING", ListMask::Directory, "Listing"},
        {"C:\\listing\\SUB", ListMask::Normal, ""},
        {"C:\\Listing\\missing.txt", ListMask::Directory, ""},
        {"C:\\Missing\\Notes.txt", ListMask::Normal, ""},
        {"C:\\Listing\\Notes.txt\\x", ListMask::Directory, ""},
        {"C:\\Listing\\PIPE", ListMask::Directory, ""},
        {"C:\\Listing\\broken", ListMask::Directory, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + (c.mask == ListMask::Normal ? " normal" : " directory"));
        EXPECT_EQ(joined(m_drives.fileSystem().list(c.pattern, c.mask)), QString::fromStdString(c.expected));
    }
}

TEST_F(Listing, DirContinuesTheLastListingUntilItEndsEmpty) {
    FileSystem& fileSystem = m_drives.fileSystem();
    EXPECT_EQ(fileSystem.dir("C:\\Listing\\*.txt", ListMask::Normal), "a[1].txt");
    EXPECT_EQ(fileSystem.dir(), "Notes.txt");
    EXPECT_EQ(fileSystem.dir(), "");
    EXPECT_EQ(fileSystem.dir(), "");
    // A new listing starts over, and one that finds nothing ends the old one.
    EXPECT_EQ(fileSystem.dir("C:\\Listing\\*.pdb", ListMask::Normal), "FAMILYE.PDB");
    EXPECT_EQ(fileSystem.dir("C:\\Listing\\*.ged", ListMask::Normal), "");
    EXPECT_EQ(fileSystem.dir(), "");
}

TEST_F(Listing, ReadFolderGivesVisibleFoldersAndOrdinaryFilesOnly) {
    const auto entries = m_drives.fileSystem().readFolder("c:\\LISTING");
    ASSERT_TRUE(entries) << entries.error().toStdString();
    QStringList shown;
    for (const FolderEntry& entry : *entries)
        shown.append(entry.name + (entry.isFolder ? "/" : ""));
    EXPECT_EQ(shown.join('|'), "a[1].txt|FAMILYE.PDB|familyp.pdb|LinkedFile|Notes.txt|README|Sub/|Sub.dir/");

    const auto missing = m_drives.fileSystem().readFolder("C:\\Palm\\User9");
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().contains("C:\\Palm\\User9")) << missing.error().toStdString();
}

TEST(ListingOrder, IsCaseBlindAndTheSameWhateverTheCreationOrder) {
    TempDrives drives;
    const std::vector<const char*> names{"b.txt",  "A.txt", "c.txt", "B2.txt",
                                         "a1.txt", "data",  "DATA",  "Data"};
    for (auto it = names.begin(); it != names.end(); ++it)
        drives.makeFile('C', QString("Forward/") + *it);
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        drives.makeFile('C', QString("Backward/") + *it);
    FileSystem& fileSystem = drives.fileSystem();

    const QString expected = "A.txt|a1.txt|b.txt|B2.txt|c.txt|DATA|Data|data";
    EXPECT_EQ(joined(fileSystem.list("C:\\Forward\\*", ListMask::Normal)), expected);
    EXPECT_EQ(joined(fileSystem.list("C:\\Backward\\*", ListMask::Normal)), expected);
}

// A name Windows cannot hold, or one that is no text in the host's encoding, could never be reached again
// through a DOS path or the settings file; such a host entry does not exist for the program.
TEST(HostNames, ThatWindowsCannotHoldOrTheHostCannotDecodeAreInvisibleAndCannotBeConverted) {
    TempDrives drives;
    const char* badNames[] = {"say \"hi\".ged", "10:30.ged", "a|b.ged",   "back\\slash.ged",
                              "what?.ged",      "star*.ged", "less<.ged", "tab\t.ged"};
    for (const char* name : badNames)
        drives.makeFile('C', QString("Odd/") + name);
    drives.makeFile('C', "Odd/fine.ged");
    const QByteArray undecodable = QFile::encodeName(drives.host('C', "Odd")) + "/bad\xFF.ged";
    const int descriptor = ::open(undecodable.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(descriptor, 0);
    ::close(descriptor);
    FileSystem& fileSystem = drives.fileSystem();

    EXPECT_EQ(joined(fileSystem.list("C:\\Odd\\*", ListMask::Normal)), "fine.ged");
    // Qt cannot remove what it cannot name, so the temporary folder would stay behind.
    ::unlink(undecodable.constData());
    for (const char* name : badNames)
        EXPECT_FALSE(fileSystem.toDos(drives.host('C', QString("Odd/") + name))) << name;
    EXPECT_TRUE(fileSystem.list("C:\\Odd\\say \"hi\".ged", ListMask::Normal).empty());
    EXPECT_EQ(testing::valueOrError(fileSystem.toDos(drives.host('C', "Odd/fine.ged"))), "C:\\Odd\\fine.ged");
}

} // namespace
} // namespace fambridge::platform
