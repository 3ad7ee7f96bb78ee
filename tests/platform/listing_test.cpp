#include "platform/file_system.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

namespace fambridge::platform {
namespace {

using testing::TempDrives;
using testing::text;
using testing::texts;

// C:\Listing holds ordinary files whose names trouble pattern matching, two folders, hidden entries and
// entries that are neither file nor folder.
class Listing : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"familyp.pdb", "FAMILYE.PDB", "Notes.txt", "README", "a[1].txt", "ab1.txt",
                                 "b]c.txt", "x.y.z", "Copy (2)+$.txt", ".hidden", ".Hidden.txt"})
            m_drives.makeFile('C', QStringLiteral("Listing/") + text(name));
        for (const char* name : {"Sub", "Sub.dir", ".HiddenFolder"})
            m_drives.makeFolder('C', QStringLiteral("Listing/") + text(name));
        m_drives.makeFile('C', QStringLiteral(".rootHidden"));
        m_drives.makeFile('C', QStringLiteral("RootFile.txt"));

        const QString folder = m_drives.host('C', QStringLiteral("Listing"));
        if (::mkfifo(QFile::encodeName(folder + QStringLiteral("/pipe")).constData(), 0644) != 0 ||
            !QFile::link(QStringLiteral("Notes.txt"), folder + QStringLiteral("/LinkedFile")) ||
            !QFile::link(QStringLiteral("nowhere"), folder + QStringLiteral("/broken")))
            FAIL() << "cannot create the special entries";
    }

    std::vector<QString> list(const char* pattern, ListMask mask) {
        return m_drives.fileSystem().list(text(pattern), mask);
    }

    TempDrives m_drives;
};

const std::vector<const char*> kEveryFile{"a[1].txt",    "ab1.txt",     "b]c.txt",    "Copy (2)+$.txt",
                                          "FAMILYE.PDB", "familyp.pdb", "LinkedFile", "Notes.txt",
                                          "README",      "x.y.z"};

TEST_F(Listing, NormalMaskGivesOrdinaryFilesOnly) {
    EXPECT_EQ(list("C:\\Listing\\*", ListMask::Normal), texts(kEveryFile));
}

TEST_F(Listing, DirectoryMaskAddsFoldersButNothingElse) {
    EXPECT_EQ(list("C:\\Listing\\*", ListMask::Directory),
              texts({".", "..", "a[1].txt", "ab1.txt", "b]c.txt", "Copy (2)+$.txt", "FAMILYE.PDB",
                     "familyp.pdb", "LinkedFile", "Notes.txt", "README", "Sub", "Sub.dir", "x.y.z"}));
}

class HiddenEntries : public Listing, public ::testing::WithParamInterface<const char*> {};

TEST_P(HiddenEntries, AreNeverListed) {
    for (const ListMask mask : {ListMask::Normal, ListMask::Directory}) {
        for (const QString& name : list(GetParam(), mask)) {
            if (name != QLatin1String(".") && name != QLatin1String("..")) {
                EXPECT_FALSE(name.startsWith(QLatin1Char('.'))) << name.toStdString();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Patterns, HiddenEntries,
                         ::testing::Values("C:\\Listing\\", "C:\\Listing\\*", "C:\\Listing\\*.*",
                                           "C:\\Listing\\.*", "C:\\Listing\\*hidden*", "C:\\Listing\\.hidden",
                                           "C:\\Listing\\.HIDDEN.TXT", "C:\\Listing\\.hiddenfolder", "C:\\",
                                           "C:\\*", "C:\\.roothidden"));

TEST_F(Listing, HiddenEntriesAreStillThereToBeListed) {
    // Without this the test above would pass for a folder that could not be read at all.
    EXPECT_FALSE(list("C:\\Listing\\*", ListMask::Directory).empty());
    EXPECT_EQ(list("C:\\*", ListMask::Directory), texts({"Listing", "RootFile.txt"}));
}

struct DotsCase {
    const char* name;
    const char* pattern;
    ListMask mask;
    bool dotsFirst;
    friend void PrintTo(const DotsCase& c, std::ostream* out) { *out << c.name; }
};

class Dots : public Listing, public ::testing::WithParamInterface<DotsCase> {};

TEST_P(Dots, ComeFirstOnlyForAFolderBelowTheRootUnderTheDirectoryMask) {
    const DotsCase& c = GetParam();
    const std::vector<QString> names = list(c.pattern, c.mask);
    ASSERT_FALSE(names.empty());
    const auto dotsAt = [&names](std::size_t index) {
        return names[index] == QLatin1String(".") || names[index] == QLatin1String("..");
    };
    std::size_t firstOther = 0;
    if (c.dotsFirst) {
        ASSERT_GE(names.size(), 2u);
        EXPECT_EQ(names[0], QStringLiteral("."));
        EXPECT_EQ(names[1], QStringLiteral(".."));
        firstOther = 2;
    }
    for (std::size_t i = firstOther; i < names.size(); ++i) {
        EXPECT_FALSE(dotsAt(i)) << "at " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Listings, Dots,
    ::testing::Values(DotsCase{"FolderContents", "C:\\Listing\\", ListMask::Directory, true},
                      DotsCase{"FolderContentsInOtherCase", "c:/listing/", ListMask::Directory, true},
                      DotsCase{"FolderStar", "C:\\Listing\\*", ListMask::Directory, true},
                      DotsCase{"FolderStarDotStar", "C:\\Listing\\*.*", ListMask::Directory, true},
                      DotsCase{"EmptyFolder", "C:\\Listing\\Sub\\", ListMask::Directory, true},
                      DotsCase{"PatternTheDotsDoNotMatch", "C:\\Listing\\*.txt", ListMask::Directory, false},
                      DotsCase{"NormalMask", "C:\\Listing\\", ListMask::Normal, false},
                      DotsCase{"NormalMaskStar", "C:\\Listing\\*.*", ListMask::Normal, false},
                      DotsCase{"DriveRoot", "C:\\", ListMask::Directory, false},
                      DotsCase{"DriveRootStar", "C:\\*", ListMask::Directory, false},
                      DotsCase{"DriveRootStarDotStar", "c:/*.*", ListMask::Directory, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Listing, EmptyFolderHoldsOnlyTheDots) {
    EXPECT_EQ(list("C:\\Listing\\Sub\\", ListMask::Directory), texts({".", ".."}));
    EXPECT_TRUE(list("C:\\Listing\\Sub\\", ListMask::Normal).empty());
}

struct WildcardCase {
    const char* name;
    const char* pattern; // inside C:\Listing
    ListMask mask;
    std::vector<const char*> expected;
    friend void PrintTo(const WildcardCase& c, std::ostream* out) { *out << c.name; }
};

class Wildcards : public Listing, public ::testing::WithParamInterface<WildcardCase> {};

TEST_P(Wildcards, MatchWithoutRegardToCaseAsWindowsMatches) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(m_drives.fileSystem().list(QStringLiteral("C:\\Listing\\") + text(c.pattern), c.mask),
              texts(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Wildcards,
    ::testing::Values(
        WildcardCase{"SuffixInOtherCase", "*P.PDB", ListMask::Normal, {"familyp.pdb"}},
        WildcardCase{"LowerCasePatternFindsUpperCaseName", "*e.pdb", ListMask::Normal, {"FAMILYE.PDB"}},
        WildcardCase{"StarDotStarMatchesNamesWithoutDot", "*.*", ListMask::Normal, kEveryFile},
        WildcardCase{"StarMatchesEveryName", "*", ListMask::Normal, kEveryFile},
        WildcardCase{"SuffixMatchingSeveralNames",
                     "*.TXT",
                     ListMask::Normal,
                     {"a[1].txt", "ab1.txt", "b]c.txt", "Copy (2)+$.txt", "Notes.txt"}},
        WildcardCase{"BracketsBeforeAStarAreLiteral", "a[1]*", ListMask::Normal, {"a[1].txt"}},
        WildcardCase{"BracketsMakeNoCharacterClass", "a[b]1*", ListMask::Normal, {}},
        WildcardCase{"BracketAfterAQuestionMarkIsLiteral", "a?1]*", ListMask::Normal, {"a[1].txt"}},
        WildcardCase{"ClosingBracketIsLiteral", "b]*", ListMask::Normal, {"b]c.txt"}},
        WildcardCase{
            "RegularExpressionCharactersAreLiteral", "*(2)+$*", ListMask::Normal, {"Copy (2)+$.txt"}},
        WildcardCase{"QuestionMarkFirst", "?OTES.TXT", ListMask::Normal, {"Notes.txt"}},
        WildcardCase{"QuestionMarkLast", "notes.tx?", ListMask::Normal, {"Notes.txt"}},
        WildcardCase{"QuestionMarkIsExactlyOneCharacter", "a?1.txt", ListMask::Normal, {"ab1.txt"}},
        WildcardCase{"QuestionMarkMatchesADot", "x?y?z", ListMask::Normal, {"x.y.z"}},
        WildcardCase{"FoldersUnderTheDirectoryMask", "SUB*", ListMask::Directory, {"Sub", "Sub.dir"}},
        WildcardCase{"NoFoldersUnderTheNormalMask", "SUB*", ListMask::Normal, {}},
        WildcardCase{"NothingMatches", "*.ged", ListMask::Normal, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct EntryCase {
    const char* name;
    const char* path;
    ListMask mask;
    const char* expected;
    friend void PrintTo(const EntryCase& c, std::ostream* out) { *out << c.name; }
};

class SingleEntry : public Listing, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(SingleEntry, IsReturnedAsSpelledOnDiskWhenTheMaskAdmitsIt) {
    const EntryCase& c = GetParam();
    FileSystem& fileSystem = m_drives.fileSystem();
    EXPECT_EQ(fileSystem.dir(text(c.path), c.mask), text(c.expected));
    EXPECT_EQ(fileSystem.dir(), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SingleEntry,
    ::testing::Values(
        EntryCase{"FileUnderNormalMask", "C:\\Listing\\notes.TXT", ListMask::Normal, "Notes.txt"},
        EntryCase{"FileUnderDirectoryMask", "c:/LISTING/NOTES.txt", ListMask::Directory, "Notes.txt"},
        EntryCase{"FileWithBrackets", "C:\\Listing\\A[1].TXT", ListMask::Normal, "a[1].txt"},
        EntryCase{"LinkToAFile", "C:\\Listing\\linkedfile", ListMask::Normal, "LinkedFile"},
        EntryCase{"FolderUnderDirectoryMask", "C:\\listing\\SUB", ListMask::Directory, "Sub"},
        EntryCase{"FolderAtTheRoot", "C:\\LISTING", ListMask::Directory, "Listing"},
        EntryCase{"FolderUnderNormalMask", "C:\\listing\\SUB", ListMask::Normal, ""},
        EntryCase{"MissingFile", "C:\\Listing\\missing.txt", ListMask::Normal, ""},
        EntryCase{"MissingFileUnderDirectoryMask", "C:\\Listing\\missing.txt", ListMask::Directory, ""},
        EntryCase{"FileInAMissingFolder", "C:\\Missing\\Notes.txt", ListMask::Normal, ""},
        EntryCase{"BelowAFile", "C:\\Listing\\Notes.txt\\x", ListMask::Directory, ""},
        EntryCase{"Pipe", "C:\\Listing\\PIPE", ListMask::Directory, ""},
        EntryCase{"DanglingLink", "C:\\Listing\\broken", ListMask::Directory, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Listing, DirContinuesTheLastListingUntilItEndsEmpty) {
    FileSystem& fileSystem = m_drives.fileSystem();
    std::vector<QString> seen;
    for (QString name = fileSystem.dir(QStringLiteral("C:\\Listing\\*.txt"), ListMask::Normal);
         !name.isEmpty(); name = fileSystem.dir())
        seen.push_back(name);

    EXPECT_EQ(seen, texts({"a[1].txt", "ab1.txt", "b]c.txt", "Copy (2)+$.txt", "Notes.txt"}));
    EXPECT_EQ(fileSystem.dir(), QString());
    EXPECT_EQ(fileSystem.dir(), QString());
    // A new listing starts over, and one that finds nothing ends the old one.
    EXPECT_EQ(fileSystem.dir(QStringLiteral("C:\\Listing\\*.pdb"), ListMask::Normal),
              QStringLiteral("FAMILYE.PDB"));
    EXPECT_EQ(fileSystem.dir(QStringLiteral("C:\\Listing\\*.ged"), ListMask::Normal), QString());
    EXPECT_EQ(fileSystem.dir(), QString());
}

TEST(ListingOrder, IsCaseInsensitiveAndTheSameWhateverTheCreationOrder) {
    TempDrives drives;
    const std::vector<const char*> names{"b.txt",  "A.txt", "c.txt", "B2.txt",
                                         "a1.txt", "data",  "DATA",  "Data"};
    for (auto it = names.begin(); it != names.end(); ++it)
        drives.makeFile('C', QStringLiteral("Forward/") + text(*it));
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        drives.makeFile('C', QStringLiteral("Backward/") + text(*it));
    FileSystem& fileSystem = drives.fileSystem();

    const auto expected = texts({"A.txt", "a1.txt", "b.txt", "B2.txt", "c.txt", "DATA", "Data", "data"});
    EXPECT_EQ(fileSystem.list(QStringLiteral("C:\\Forward\\*"), ListMask::Normal), expected);
    EXPECT_EQ(fileSystem.list(QStringLiteral("C:\\Backward\\*"), ListMask::Normal), expected);
}

} // namespace
} // namespace fambridge::platform

namespace fambridge::platform {
namespace {

// Windows cannot hold these characters in a name; a host name with one is no entry of the Windows view,
// neither listed nor looked up nor converted, so it can never reach a DOS path or the settings file.
TEST(WindowsNames, HostNamesWindowsCannotHoldAreInvisibleAndCannotBeConverted) {
    testing::TempDrives drives;
    const char* badNames[] = {"say \"hi\".ged", "10:30.ged", "a|b.ged",   "back\\slash.ged",
                              "what?.ged",      "star*.ged", "less<.ged", "tab\t.ged"};
    for (const char* name : badNames)
        drives.makeFile('C', QStringLiteral("Odd/") + QString::fromUtf8(name));
    drives.makeFile('C', "Odd/fine.ged");
    FileSystem& fileSystem = drives.fileSystem();

    EXPECT_EQ(fileSystem.list("C:\\Odd\\*", ListMask::Normal), std::vector<QString>{"fine.ged"});
    for (const char* name : badNames) {
        SCOPED_TRACE(name);
        const QString host = drives.host('C', QStringLiteral("Odd/") + QString::fromUtf8(name));
        EXPECT_FALSE(fileSystem.toDos(host).ok());
    }
    EXPECT_TRUE(fileSystem.list("C:\\Odd\\say \"hi\".ged", ListMask::Normal).empty());
    EXPECT_EQ(fileSystem.toDos(drives.host('C', "Odd/fine.ged")).value(), "C:\\Odd\\fine.ged");
}

} // namespace
} // namespace fambridge::platform
