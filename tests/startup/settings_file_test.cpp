#include "qt_printers.h"
#include "startup/settings_file.h"
#include "temp_drives.h"

#include <QDir>
#include <QFileInfo>

#include "file_size_limit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ostream>

#include <sys/resource.h>

namespace fambridge {

bool operator==(const SettingsRecords& a, const SettingsRecords& b) {
    return a.UserFolder == b.UserFolder && a.ImportDir == b.ImportDir && a.ImportName == b.ImportName &&
           a.ExportDir == b.ExportDir && a.ExportName == b.ExportName && a.DatabaseName == b.DatabaseName;
}

void PrintTo(const SettingsRecords& r, std::ostream* out) {
    *out << '{';
    for (const QString* field :
         {&r.UserFolder, &r.ImportDir, &r.ImportName, &r.ExportDir, &r.ExportName, &r.DatabaseName})
        *out << '"' << field->toStdString() << "\" ";
    *out << '}';
}

namespace {

const QString kIniPath = QStringLiteral("C:\\App\\Famlore.ini");
const QString kIniRelative = QStringLiteral("App/Famlore.ini");
const QByteArray kHeader = "\"FAMBRIDGE\",\"1.40\"\r\n";
const QByteArray kUtf8Mark = "\xEF\xBB\xBF";

// A file of the current format holding only a user folder, for the cases that are about the file itself.
const QByteArray kPlainFile = kHeader + "\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n\r\n\r\n";

SettingsRecords userFolderOnly(const QString& userFolder) {
    SettingsRecords records;
    records.UserFolder = userFolder;
    return records;
}

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() {
        drives.makeFolder(QLatin1Char('C'), QStringLiteral("App"));
        state.IniPath = kIniPath;
    }

    void putIni(const QByteArray& bytes) { drives.makeFile(QLatin1Char('C'), kIniRelative, bytes); }
    QByteArray iniBytes() { return drives.readHostFile(drives.host(QLatin1Char('C'), kIniRelative)); }
    std::optional<SettingsRecords> readIni() { return ReadSettingsFile(drives.fileSystem(), kIniPath); }

    testing::TempDrives drives;
    AppState state;
};

struct WriteCase {
    const char* name;
    QString UserFolder;
    QString ImportFile;
    QString ExportFile;
    QString DatabaseName;
    QByteArray bytes;
    SettingsRecords readBack;
};

void PrintTo(const WriteCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingsFileWrite : public SettingsFileTest, public ::testing::WithParamInterface<WriteCase> {
protected:
    void writeCase() {
        state.UserFolder = GetParam().UserFolder;
        state.ImportFile = GetParam().ImportFile;
        state.ExportFile = GetParam().ExportFile;
        state.DatabaseName = GetParam().DatabaseName;
        ASSERT_TRUE(WriteSettingsFile(drives.fileSystem(), state).ok());
    }
};

TEST_P(SettingsFileWrite, WritesExactlyTheseBytes) {
    writeCase();
    EXPECT_EQ(iniBytes(), GetParam().bytes);
}

TEST_P(SettingsFileWrite, ReadsBackTheSavedRecords) {
    writeCase();
    EXPECT_EQ(readIni(), GetParam().readBack);
}

TEST_P(SettingsFileWrite, WritingWhatWasReadGivesTheSameBytes) {
    putIni(GetParam().bytes);
    const auto records = readIni();
    ASSERT_TRUE(records.has_value());
    // Start-up's way back from the records to the file choices.
    AppState reread;
    reread.IniPath = kIniPath;
    reread.UserFolder = records->UserFolder;
    reread.DatabaseName = records->DatabaseName;
    if (!records->ImportDir.isEmpty())
        reread.ImportFile = records->ImportDir + QLatin1Char('\\') + records->ImportName;
    if (!records->ExportDir.isEmpty())
        reread.ExportFile = records->ExportDir + QLatin1Char('\\') + records->ExportName;
    ASSERT_TRUE(WriteSettingsFile(drives.fileSystem(), reread).ok());
    EXPECT_EQ(iniBytes(), GetParam().bytes);
}

const WriteCase kWriteCases[] = {
    {"NothingChosenLeavesLinesThreeToSevenEmpty", "C:\\PALM\\User1", "", "", "Family",
     kHeader + "\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n\r\n\r\n", userFolderOnly("C:\\PALM\\User1")},
    {"DatabaseWithoutExportFileIsNotSaved",
     "C:\\PALM\\User1",
     "C:\\Genealogy\\tree.ged",
     "",
     "Family",
     kHeader + "\"C:\\PALM\\User1\"\r\n\"C:\\Genealogy\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n",
     {"C:\\PALM\\User1", "C:\\Genealogy", "tree.ged", "", "", ""}},
    {"ExportFileSavesItsDatabase",
     "C:\\PALM\\User1",
     "C:\\Genealogy\\tree.ged",
     "C:\\Out\\family.ged",
     "Family",
     kHeader + "\"C:\\PALM\\User1\"\r\n\"C:\\Genealogy\"\r\n\"tree.ged\"\r\n\"C:\\Out\"\r\n\"family.ged\"\r\n"
               "\"Family\"\r\n",
     {"C:\\PALM\\User1", "C:\\Genealogy", "tree.ged", "C:\\Out", "family.ged", "Family"}},
    {"SetButEmptyValuesAreWrittenAsTwoQuotes",
     "",
     "C:\\Genealogy\\",
     "D:\\x.ged",
     "",
     kHeader + "\"\"\r\n\"C:\\Genealogy\"\r\n\"\"\r\n\"D:\"\r\n\"x.ged\"\r\n\"\"\r\n",
     {"", "C:\\Genealogy", "", "D:", "x.ged", ""}},
    {"FileInADriveRootKeepsTheBareDrive",
     "C:\\PALM\\User1",
     "C:\\tree.ged",
     "",
     "",
     kHeader + "\"C:\\PALM\\User1\"\r\n\"C:\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n",
     {"C:\\PALM\\User1", "C:", "tree.ged", "", "", ""}},
    {"CommasInsideNamesAreKept",
     "C:\\PALM\\Smith, John",
     "D:\\Trees, old\\a,b.ged",
     "",
     "",
     kHeader + "\"C:\\PALM\\Smith, John\"\r\n\"D:\\Trees, old\"\r\n\"a,b.ged\"\r\n\r\n\r\n\r\n",
     {"C:\\PALM\\Smith, John", "D:\\Trees, old", "a,b.ged", "", "", ""}},
    {"ForwardSlashSeparatesToo",
     "C:\\PALM\\User1",
     "",
     "C:\\Gen/tree.ged",
     "Family",
     kHeader + "\"C:\\PALM\\User1\"\r\n\r\n\r\n\"C:\\Gen\"\r\n\"tree.ged\"\r\n\"Family\"\r\n",
     {"C:\\PALM\\User1", "", "", "C:\\Gen", "tree.ged", "Family"}},
    {"Windows1252AccentsTakeOneByteEach", "C:\\PALM\\H\u00e9l\u00e8ne", "", "", "",
     kHeader + "\"C:\\PALM\\H\xE9l\xE8ne\"\r\n\r\n\r\n\r\n\r\n\r\n",
     userFolderOnly("C:\\PALM\\H\u00e9l\u00e8ne")},
    {"NameOutsideWindows1252MakesTheWholeFileUtf8WithMark",
     "C:\\PALM\\\u0141ukasz \u5bb6\u65cf",
     "",
     "C:\\Out\\d\u00e9j\u00e0.ged",
     "",
     kUtf8Mark + kHeader +
         "\"C:\\PALM\\\xC5\x81ukasz \xE5\xAE\xB6\xE6\x97\x8F\"\r\n\r\n\r\n\"C:\\Out\"\r\n"
         "\"d\xC3\xA9j\xC3\xA0.ged\"\r\n\"\"\r\n",
     {"C:\\PALM\\\u0141ukasz \u5bb6\u65cf", "", "", "C:\\Out", "d\u00e9j\u00e0.ged", ""}},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFileWrite, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, PathWithOnlyALeadingSeparatorIsSavedWithAnEmptyFolder) {
    state.ImportFile = QStringLiteral("\\tree.ged");
    ASSERT_TRUE(WriteSettingsFile(drives.fileSystem(), state).ok());
    EXPECT_EQ(iniBytes(), kHeader + "\"\"\r\n\"\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n");
}

TEST_F(SettingsFileTest, WriterTakesImportAndExportPiecesFromTheFiles) {
    state.ImportFile = QStringLiteral("D:\\Gen\\tree.ged");
    state.ImportDir = QStringLiteral("D:\\Old");
    state.ImportName = QStringLiteral("old.ged");
    state.ExportFile = QStringLiteral("E:\\Out\\family.ged");
    settingsLines(state);
    EXPECT_EQ(state.ImportDir, QStringLiteral("D:\\Gen"));
    EXPECT_EQ(state.ImportName, QStringLiteral("tree.ged"));
    EXPECT_EQ(state.ExportDir, QStringLiteral("E:\\Out"));
    EXPECT_EQ(state.ExportName, QStringLiteral("family.ged"));
}

TEST_F(SettingsFileTest, UnsetFilesLeaveTheirPiecesAsTheyWere) {
    state.ImportDir = QStringLiteral("D:\\Old");
    state.ImportName = QStringLiteral("old.ged");
    state.ExportDir = QStringLiteral("E:\\Old");
    state.ExportName = QStringLiteral("older.ged");
    const QStringList lines = settingsLines(state);
    EXPECT_EQ(lines.mid(2), QStringList(5, QString()));
    EXPECT_EQ(state.ImportDir, QStringLiteral("D:\\Old"));
    EXPECT_EQ(state.ImportName, QStringLiteral("old.ged"));
    EXPECT_EQ(state.ExportDir, QStringLiteral("E:\\Old"));
    EXPECT_EQ(state.ExportName, QStringLiteral("older.ged"));
}

TEST_F(SettingsFileTest, ForeignFileIsReplacedInTheCurrentFormat) {
    putIni("\"fambridge\",\"1.40\"\r\n\"D:\\Elsewhere\"\r\n\r\n\r\n\r\n\r\n\r\n");
    ASSERT_FALSE(readIni().has_value());
    state.UserFolder = QStringLiteral("C:\\PALM\\User1");
    ASSERT_TRUE(WriteSettingsFile(drives.fileSystem(), state).ok());
    EXPECT_EQ(iniBytes(), kPlainFile);
}

TEST_F(SettingsFileTest, DriveRootApplicationFolderWritesAndReadsAtTheRoot) {
    // Start-up joins "C:\" and "\Famlore.ini" as they stand.
    state.IniPath = QStringLiteral("C:\\\\Famlore.ini");
    state.UserFolder = QStringLiteral("C:\\PALM\\User1");
    ASSERT_TRUE(WriteSettingsFile(drives.fileSystem(), state).ok());
    EXPECT_EQ(drives.readHostFile(drives.host(QLatin1Char('C'), QStringLiteral("Famlore.ini"))), kPlainFile);
    EXPECT_EQ(ReadSettingsFile(drives.fileSystem(), state.IniPath), userFolderOnly("C:\\PALM\\User1"));
}

TEST_F(SettingsFileTest, FolderInTheWayFailsNamingTheFileAndLeavesTheFolderAlone) {
    const QString folder = drives.makeFolder(QLatin1Char('C'), kIniRelative);
    drives.makeFile(QLatin1Char('C'), kIniRelative + QStringLiteral("/keep.txt"), "kept");
    state.UserFolder = QStringLiteral("C:\\PALM\\User1");

    const Status written = WriteSettingsFile(drives.fileSystem(), state);

    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(kIniPath)) << written.error().toStdString();
    EXPECT_TRUE(written.error().contains(QStringLiteral("folder"))) << written.error().toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(drives.readHostFile(folder + QStringLiteral("/keep.txt")), QByteArray("kept"));
}

TEST_F(SettingsFileTest, FailedWriteNamesTheFileAndKeepsTheOldOne) {
    putIni(kPlainFile);
    state.UserFolder = QStringLiteral("D:\\Somewhere\\Else\\Entirely");

    Status written;
    {
        testing::FileSizeLimit limit(16);
        ASSERT_TRUE(limit.active());
        written = WriteSettingsFile(drives.fileSystem(), state);
    }

    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(kIniPath)) << written.error().toStdString();
    EXPECT_EQ(iniBytes(), kPlainFile);
    EXPECT_EQ(QDir(drives.host(QLatin1Char('C'), QStringLiteral("App")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList(QStringLiteral("Famlore.ini")));
}

struct ReadCase {
    const char* name;
    QByteArray bytes;
    std::optional<SettingsRecords> expected;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingsFileRead : public SettingsFileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsFileRead, GivesTheseRecords) {
    putIni(GetParam().bytes);
    EXPECT_EQ(readIni(), GetParam().expected);
}

const QByteArray kFivePaths =
    "\"C:\\PALM\\User1\"\r\n\"D:\\Gen\"\r\n\"tree.ged\"\r\n\"E:\\Out\"\r\n\"out.ged\"\r\n";
const SettingsRecords kFivePathRecords{"C:\\PALM\\User1", "D:\\Gen", "tree.ged", "E:\\Out", "out.ged", ""};

SettingsRecords withDatabase(SettingsRecords records, const QString& name) {
    records.DatabaseName = name;
    return records;
}

const ReadCase kReadCases[] = {
    {"CurrentFormatGivesAllSixRecords", kHeader + kFivePaths + "\"Family\"\r\n",
     withDatabase(kFivePathRecords, "Family")},
    {"ForeignMagicWordIsNotUsable", "\"FAMLORE\",\"1.40\"\r\n" + kFivePaths + "\"Family\"\r\n", std::nullopt},
    {"LowerCaseMagicWordIsForeign", "\"fambridge\",\"1.40\"\r\n" + kFivePaths + "\"Family\"\r\n",
     std::nullopt},
    {"BlankInsideTheQuotedMagicWordIsForeign", "\"FAMBRIDGE \",\"1.40\"\r\n" + kFivePaths + "\"Family\"\r\n",
     std::nullopt},
    {"OlderVersionKeepsFivePathsAndDatabaseFamlore",
     "\"FAMBRIDGE\",\"1.30\"\r\n" + kFivePaths + "\"Family\"\r\n", withDatabase(kFivePathRecords, "Famlore")},
    {"OlderVersionNeedsNoSeventhLine", "\"FAMBRIDGE\",\"1.30\"\r\n" + kFivePaths,
     withDatabase(kFivePathRecords, "Famlore")},
    {"VersionIsComparedAsWrittenNotAsANumber", "\"FAMBRIDGE\",\"1.4\"\r\n" + kFivePaths + "\"Family\"\r\n",
     withDatabase(kFivePathRecords, "Famlore")},
    {"QuotedEmptyFolderIsEmpty", kHeader + "\"C:\\PALM\\User1\"\r\n\"\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n",
     SettingsRecords{"C:\\PALM\\User1", "", "tree.ged", "", "", ""}},
    {"UnquotedFieldsLoseSurroundingBlanks",
     "FAMBRIDGE , 1.40\r\n  C:\\PALM\\User 1 \t\r\n\tD:\\Gen\r\ntree.ged  \r\n\r\n\r\n  Family\r\n",
     SettingsRecords{"C:\\PALM\\User 1", "D:\\Gen", "tree.ged", "", "", "Family"}},
    {"QuotedFieldsKeepTheirBlanks", kHeader + "\" C:\\PALM\\User1 \"\r\n\r\n\r\n\r\n\r\n\r\n",
     userFolderOnly(" C:\\PALM\\User1 ")},
    {"TextAfterAClosingQuoteIsIgnored", kHeader + "\"C:\\PALM\\User1\"junk\r\n\r\n\r\n\r\n\r\n\r\n",
     userFolderOnly("C:\\PALM\\User1")},
    {"UnclosedQuoteRunsToTheLineEnd", kHeader + "\"C:\\PALM\\User1\r\n\r\n\r\n\r\n\r\n\"Family\"\r\n",
     withDatabase(userFolderOnly("C:\\PALM\\User1"), "Family")},
    {"FieldsMayShareALine",
     "\"FAMBRIDGE\",\"1.40\",\"C:\\PALM\\User1\",\"D:\\Gen\"\r\n\"tree.ged\",,\r\n\"Family\"\r\n",
     SettingsRecords{"C:\\PALM\\User1", "D:\\Gen", "tree.ged", "", "", "Family"}},
    {"LoneLineFeedsEndLines", "\"FAMBRIDGE\",\"1.40\"\n\"C:\\PALM\\User1\"\n\n\n\n\n\"Family\"\n",
     withDatabase(userFolderOnly("C:\\PALM\\User1"), "Family")},
    {"LinesAfterTheSeventhAreIgnored", kPlainFile + "\"extra\"\r\ngarbage,,,\r\n",
     userFolderOnly("C:\\PALM\\User1")},
    {"HighBytesAreWindows1252", kHeader + "\"C:\\\x80uro\\\x9C\"\r\n\r\n\r\n\r\n\r\n\r\n",
     userFolderOnly("C:\\\u20acuro\\\u0153")},
    {"Utf8BehindItsMarkIsRead", kUtf8Mark + kHeader + "\"C:\\PALM\\\xC5\x81ukasz\"\r\n\r\n\r\n\r\n\r\n\r\n",
     userFolderOnly("C:\\PALM\\\u0141ukasz")},
    {"CurrentFormatWithoutTheSeventhLineIsShort", kHeader + kFivePaths, std::nullopt},
    {"CurrentFormatWhoseLastLineLacksItsEndIsShort", kHeader + "\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n\r\n",
     std::nullopt},
    {"OlderVersionMissingAPathIsShort", "\"FAMBRIDGE\",\"1.30\"\r\n\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n",
     std::nullopt},
    {"MagicWordAloneIsShort", "\"FAMBRIDGE\"\r\n", std::nullopt},
    {"EmptyFileIsNotUsable", "", std::nullopt},
    {"NulByteMakesItNotText", kPlainFile.left(30) + QByteArray(1, '\0') + kPlainFile.mid(30), std::nullopt},
    {"InvalidUtf8BehindTheMarkIsNotText", kUtf8Mark + kHeader + "\"C:\\\xC3\x28\"\r\n\r\n\r\n\r\n\r\n\r\n",
     std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFileRead, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, MissingFileIsNotUsable) {
    EXPECT_FALSE(readIni().has_value());
}

TEST_F(SettingsFileTest, FolderNamedLikeTheFileIsNotUsable) {
    drives.makeFolder(QLatin1Char('C'), kIniRelative);
    EXPECT_FALSE(readIni().has_value());
}

TEST_F(SettingsFileTest, FileNameIsFoundInAnyLetterCase) {
    drives.makeFile(QLatin1Char('C'), QStringLiteral("App/FAMLORE.INI"), kPlainFile);
    EXPECT_EQ(readIni(), userFolderOnly("C:\\PALM\\User1"));
}

QByteArray paddedTo(qint64 size) {
    QByteArray bytes = kPlainFile + "padding:";
    bytes.append(QByteArray(size - bytes.size(), 'x'));
    return bytes;
}

TEST_F(SettingsFileTest, FileAtTheSizeLimitIsRead) {
    putIni(paddedTo(kSettingsSizeLimit));
    EXPECT_EQ(readIni(), userFolderOnly("C:\\PALM\\User1"));
}

TEST_F(SettingsFileTest, FileOverTheSizeLimitIsNotUsable) {
    putIni(paddedTo(kSettingsSizeLimit + 1));
    EXPECT_FALSE(readIni().has_value());
}

struct SplitCase {
    QString FullPath;
    QString Folder;
    QString Name;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    PrintTo(c.FullPath, out);
}

class SplitPath : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPath, CutsAtTheLastSeparator) {
    QString folder = QStringLiteral("stale");
    QString name = QStringLiteral("stale");
    fambridge::SplitPath(GetParam().FullPath, folder, name);
    EXPECT_EQ(folder, GetParam().Folder);
    EXPECT_EQ(name, GetParam().Name);
}

INSTANTIATE_TEST_SUITE_P(Table, SplitPath,
                         ::testing::Values(SplitCase{"C:\\Genealogy\\tree.ged", "C:\\Genealogy", "tree.ged"},
                                           SplitCase{"C:\\tree.ged", "C:", "tree.ged"},
                                           SplitCase{"C:\\Genealogy\\", "C:\\Genealogy", ""},
                                           SplitCase{"C:\\Gen/tree.ged", "C:\\Gen", "tree.ged"},
                                           SplitCase{"\\tree.ged", "", "tree.ged"},
                                           SplitCase{"C:/Gen\\Sub/tree.ged", "C:/Gen\\Sub", "tree.ged"},
                                           SplitCase{"tree.ged", "", "tree.ged"}));

} // namespace
} // namespace fambridge
