#include "qt_printers.h"
#include "startup/settings_file.h"
#include "temp_drives.h"

#include <QDir>
#include <QFileInfo>

#include "file_size_limit.h"

#include <gtest/gtest.h>

#include <optional>

namespace fambridge {
namespace {

const QString kIniPath = QStringLiteral("C:\\App\\Famlore.ini");
const QString kIniRelative = QStringLiteral("App/Famlore.ini");
const QByteArray kHeader = "\"FAMBRIDGE\",\"1.40\"\r\n";
const QByteArray kUtf8Mark = "\xEF\xBB\xBF";

// A file of the current format holding only a user folder, for the cases that are about the file itself.
const QByteArray kPlainFile = kHeader + "\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n\r\n\r\n";

// Records with nothing but a user folder and perhaps a database.
QStringList userFolderOnly(const QString& folder, const QString& database = QString()) {
    return {folder, "", "", "", "", database};
}
const QStringList kPlainRecords = userFolderOnly("C:\\PALM\\User1");

class SettingsFile : public ::testing::Test {
protected:
    SettingsFile() {
        drives.makeFolder(QLatin1Char('C'), QStringLiteral("App"));
        state.IniPath = kIniPath;
        state.UserFolder = QStringLiteral("C:\\PALM\\User1");
    }

    void putIni(const QByteArray& bytes) { drives.makeFile(QLatin1Char('C'), kIniRelative, bytes); }
    QByteArray iniBytes() { return drives.readHostFile(drives.host(QLatin1Char('C'), kIniRelative)); }
    // The six records in their order, or no list at all when the file is not usable.
    QStringList readIni(const QString& path = kIniPath) {
        const std::optional<SettingsRecords> r = readSettingsFile(drives.fileSystem(), path);
        if (!r)
            return {};
        return {r->UserFolder, r->ImportDir, r->ImportName, r->ExportDir, r->ExportName, r->DatabaseName};
    }

    testing::TempDrives drives;
    AppState state;
};

TEST_F(SettingsFile, WritesExactlyTheseBytesInPlaceOfTheOldFileAndReadsThemBack) {
    const struct {
        const char* what;
        QStringList choices; // UserFolder, ImportFile, ExportFile, DatabaseName
        QByteArray bytes;
        QStringList readBack;
    } cases[] = {
        {"database without export file is not saved",
         {"C:\\PALM\\User1", "C:\\Genealogy\\tree.ged", "", "Family"},
         kHeader + "\"C:\\PALM\\User1\"\r\n\"C:\\Genealogy\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n",
         {"C:\\PALM\\User1", "C:\\Genealogy", "tree.ged", "", "", ""}},
        {"export file saves its database, and commas inside names are kept",
         {"C:\\PALM\\Smith, John", "C:\\Genealogy\\tree.ged", "C:\\Out\\a,b.ged", "Family"},
         kHeader + "\"C:\\PALM\\Smith, John\"\r\n\"C:\\Genealogy\"\r\n\"tree.ged\"\r\n\"C:\\Out\"\r\n"
                   "\"a,b.ged\"\r\n\"Family\"\r\n",
         {"C:\\PALM\\Smith, John", "C:\\Genealogy", "tree.ged", "C:\\Out", "a,b.ged", "Family"}},
        {"a name outside Windows-1252 makes the whole file UTF-8 with its mark",
         {"C:\\PALM\\\u0141ukasz \u5bb6\u65cf", "", "C:\\Out\\d\u00e9j\u00e0.ged", ""},
         kUtf8Mark + kHeader +
             "\"C:\\PALM\\\xC5\x81ukasz \xE5\xAE\xB6\xE6\x97\x8F\"\r\n\r\n\r\n\"C:\\Out\"\r\n"
             "\"d\xC3\xA9j\xC3\xA0.ged\"\r\n\"\"\r\n",
         {"C:\\PALM\\\u0141ukasz \u5bb6\u65cf", "", "", "C:\\Out", "d\u00e9j\u00e0.ged", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Longer than any new file, so that leftovers of it would show.
        putIni(QByteArray(300, 'x'));
        state.UserFolder = c.choices[0];
        state.ImportFile = c.choices[1];
        state.ExportFile = c.choices[2];
        state.DatabaseName = c.choices[3];

        ASSERT_TRUE(writeSettingsFile(drives.fileSystem(), state).ok());

        EXPECT_EQ(iniBytes(), c.bytes);
        EXPECT_EQ(readIni(), c.readBack);
    }
}

// The pieces of a file that is not chosen stay in the state for the next choice of it.
TEST(SettingsLines, SplitTheChosenFilesIntoTheirPiecesAndKeepThePiecesOfTheOthers) {
    AppState state;
    state.ImportDir = QStringLiteral("D:\\Old");
    state.ImportName = QStringLiteral("old.ged");
    state.ExportFile = QStringLiteral("E:\\Out\\family.ged");

    settingsLines(state);

    EXPECT_EQ((QStringList{state.ImportDir, state.ImportName, state.ExportDir, state.ExportName}),
              (QStringList{"D:\\Old", "old.ged", "E:\\Out", "family.ged"}));
}

TEST_F(SettingsFile, DriveRootApplicationFolderWritesAndReadsAtTheRoot) {
    // Start-up joins "C:\" and "\Famlore.ini" as they stand.
    state.IniPath = QStringLiteral("C:\\\\Famlore.ini");
    ASSERT_TRUE(writeSettingsFile(drives.fileSystem(), state).ok());
    EXPECT_EQ(drives.readHostFile(drives.host(QLatin1Char('C'), QStringLiteral("Famlore.ini"))), kPlainFile);
    EXPECT_EQ(readIni(state.IniPath), kPlainRecords);
}

TEST_F(SettingsFile, FolderInTheWayFailsNamingTheFileAndLeavesTheFolderAlone) {
    const QString folder = drives.makeFolder(QLatin1Char('C'), kIniRelative);

    const Status written = writeSettingsFile(drives.fileSystem(), state);

    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(kIniPath)) << written.error().toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(SettingsFile, FailedWriteNamesTheFileAndKeepsTheOldOneWithNothingBesideIt) {
    putIni(kPlainFile);
    state.UserFolder = QStringLiteral("D:\\Somewhere\\Else\\Entirely");

    Status written;
    {
        testing::FileSizeLimit limit(16);
        ASSERT_TRUE(limit.active());
        written = writeSettingsFile(drives.fileSystem(), state);
    }

    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(kIniPath)) << written.error().toStdString();
    EXPECT_EQ(iniBytes(), kPlainFile);
    EXPECT_EQ(QDir(drives.host(QLatin1Char('C'), QStringLiteral("App")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList(QStringLiteral("Famlore.ini")));
}

QByteArray paddedTo(qint64 size) {
    QByteArray bytes = kPlainFile + "padding:";
    bytes.append(QByteArray(size - bytes.size(), 'x'));
    return bytes;
}

TEST_F(SettingsFile, ReadGivesTheseRecordsOrNoneForAFileThatIsNotUsable) {
    const QByteArray fivePaths =
        "\"C:\\PALM\\User1\"\r\n\"D:\\Gen\"\r\n\"tree.ged\"\r\n\"E:\\Out\"\r\n\"out.ged\"\r\n";
    const auto fivePathsAnd = [](const char* database) {
        return QStringList{"C:\\PALM\\User1", "D:\\Gen", "tree.ged", "E:\\Out", "out.ged", database};
    };
    const QStringList none;
    const struct {
        const char* what;
        QByteArray bytes;
        QStringList records;
    } cases[] = {
        {"current format gives all six records", kHeader + fivePaths + "\"Family\"\r\n",
         fivePathsAnd("Family")},
        {"lower-case magic word is foreign", "\"fambridge\",\"1.40\"\r\n" + fivePaths + "\"Family\"\r\n",
         none},
        {"older version keeps five paths, needs no seventh line and gives database Famlore",
         "\"FAMBRIDGE\",\"1.30\"\r\n" + fivePaths, fivePathsAnd("Famlore")},
        {"version is compared as written, not as a number",
         "\"FAMBRIDGE\",\"1.4\"\r\n" + fivePaths + "\"Family\"\r\n", fivePathsAnd("Famlore")},
        {"unquoted fields lose surrounding blanks",
         "FAMBRIDGE , 1.40\r\n  C:\\PALM\\User 1 \t\r\n\tD:\\Gen\r\ntree.ged  \r\n\r\n\r\n  Family\r\n",
         {"C:\\PALM\\User 1", "D:\\Gen", "tree.ged", "", "", "Family"}},
        {"quoted fields keep their blanks", kHeader + "\" C:\\PALM\\User1 \"\r\n\r\n\r\n\r\n\r\n\r\n",
         userFolderOnly(" C:\\PALM\\User1 ")},
        {"fields may share a line",
         "\"FAMBRIDGE\",\"1.40\",\"C:\\PALM\\User1\",\"D:\\Gen\"\r\n\"tree.ged\",,\r\n\"Family\"\r\n",
         {"C:\\PALM\\User1", "D:\\Gen", "tree.ged", "", "", "Family"}},
        {"lone line feeds end lines", "\"FAMBRIDGE\",\"1.40\"\n\"C:\\PALM\\User1\"\n\n\n\n\n\"Family\"\n",
         userFolderOnly("C:\\PALM\\User1", "Family")},
        {"high bytes are Windows-1252", kHeader + "\"C:\\\x80uro\\\x9C\"\r\n\r\n\r\n\r\n\r\n\r\n",
         userFolderOnly("C:\\\u20acuro\\\u0153")},
        {"file at the size limit is read", paddedTo(kSettingsSizeLimit), kPlainRecords},
        {"file over the size limit is not usable", paddedTo(kSettingsSizeLimit + 1), none},
        {"current format without the seventh line is short", kHeader + fivePaths, none},
        {"current format whose empty last line lacks its end is short",
         kHeader + "\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n\r\n", none},
        {"empty file is not usable", "", none},
        {"NUL byte makes it not text", kPlainFile.left(30) + QByteArray(1, '\0') + kPlainFile.mid(30), none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        putIni(c.bytes);
        EXPECT_EQ(readIni(), c.records);
    }
}

TEST_F(SettingsFile, MissingFileOrAFolderInItsPlaceIsNotUsable) {
    EXPECT_EQ(readIni(), QStringList());
    drives.makeFolder(QLatin1Char('C'), kIniRelative);
    EXPECT_EQ(readIni(), QStringList());
}

TEST_F(SettingsFile, FileNameIsFoundInAnyLetterCase) {
    drives.makeFile(QLatin1Char('C'), QStringLiteral("App/FAMLORE.INI"), kPlainFile);
    EXPECT_EQ(readIni(), kPlainRecords);
}

TEST(SplitPath, CutsAtTheLastSeparatorOfEitherKindAndGivesNoFolderWithoutOne) {
    // Full path, folder, name.
    const QStringList cases[] = {{"C:\\tree.ged", "C:", "tree.ged"},
                                 {"C:\\Genealogy\\", "C:\\Genealogy", ""},
                                 {"C:/Gen\\Sub/tree.ged", "C:/Gen\\Sub", "tree.ged"},
                                 {"tree.ged", "", "tree.ged"}};
    for (const QStringList& c : cases) {
        QStringList pieces{c[0], QStringLiteral("stale"), QStringLiteral("stale")};
        SplitPath(pieces[0], pieces[1], pieces[2]);
        EXPECT_EQ(pieces, c);
    }
}

} // namespace
} // namespace fambridge
