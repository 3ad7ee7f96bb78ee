#include "file_size_limit.h"
#include "qt_printers.h"
#include "startup/settings_file.h"
#include "startup/start_up.h"
#include "temp_drives.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace fambridge {
namespace {

const QByteArray kHeader = "\"FAMBRIDGE\",\"1.40\"\r\n";
const QByteArray kPlainFile = kHeader + "\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n\r\n\r\n";

class SettingsFile : public ::testing::Test {
protected:
    SettingsFile() { state.IniPath = "C:\\App\\Famlore.ini"; }

    void put(const QByteArray& bytes, const char* name = "Famlore.ini") {
        drives.makeFile('C', QString("App/") + name, bytes);
    }
    QByteArray bytes() { return drives.readHostFile(drives.host('C', "App/Famlore.ini")); }
    // The six records joined by '|', or "none|||||" when the file is not usable.
    QString read() {
        const auto r = readSettingsFile(drives.fileSystem(), state.IniPath)
                           .value_or(SettingsRecords{"none", {}, {}, {}, {}, {}});
        return QStringList{r.UserFolder, r.ImportDir, r.ImportName, r.ExportDir, r.ExportName, r.DatabaseName}
            .join('|');
    }

    testing::TempDrives drives;
    AppState state;
};

// A database is remembered with an export file only; a name outside Windows-1252 makes the whole file UTF-8
// behind its mark; commas inside names are kept, and read back.
TEST_F(SettingsFile, WritesExactlyTheseBytesInPlaceOfTheOldFileAndReadsThemBack) {
    for (const auto& [choices, written] : {
             std::pair{"C:\\PALM\\User1|C:\\Genealogy\\tree.ged||Family",
                       kHeader + "\"C:\\PALM\\User1\"\r\n\"C:\\Genealogy\"\r\n\"tree.ged\"\r\n\r\n\r\n\r\n"},
             {"C:\\PALM\\Łukasz 家族||C:\\Out\\déjà.ged|",
              "\xEF\xBB\xBF" + kHeader +
                  "\"C:\\PALM\\\xC5\x81ukasz \xE5\xAE\xB6\xE6\x97\x8F\"\r\n\r\n\r\n\"C:\\Out\"\r\n"
                  "\"d\xC3\xA9j\xC3\xA0.ged\"\r\n\"\"\r\n"},
             {"C:\\PALM\\Smith, John|C:\\Genealogy\\tree.ged|C:\\Out\\a,b.ged|Family",
              kHeader + "\"C:\\PALM\\Smith, John\"\r\n\"C:\\Genealogy\"\r\n\"tree.ged\"\r\n\"C:\\Out\"\r\n"
                        "\"a,b.ged\"\r\n\"Family\"\r\n"},
         }) {
        // Longer than any new file, so that leftovers of it would show.
        put(QByteArray(300, 'x'));
        const QStringList chosen = QString(choices).split('|');
        state.UserFolder = chosen[0];
        state.ImportFile = chosen[1];
        state.ExportFile = chosen[2];
        state.DatabaseName = chosen[3];
        ASSERT_TRUE(writeSettingsFile(drives.fileSystem(), state).ok());
        EXPECT_EQ(bytes(), written);
    }
    EXPECT_EQ(read(), "C:\\PALM\\Smith, John|C:\\Genealogy|tree.ged|C:\\Out|a,b.ged|Family");
    // The state keeps the pieces that were saved.
    EXPECT_EQ(state.ImportDir + '|' + state.ExportName, "C:\\Genealogy|a,b.ged");
}

// A failed write names the file and keeps the old one, with nothing beside it: on a full disk, and over a
// read-only file, which Windows refuses to replace whoever asks.
TEST_F(SettingsFile, WriteThatFailsNamesTheFileAndKeepsWhatWasThere) {
    put(kPlainFile);
    {
        testing::FileSizeLimit limit(16);
        ASSERT_TRUE(limit.active);
        EXPECT_TRUE(writeSettingsFile(drives.fileSystem(), state).error().contains(state.IniPath));
    }
    ASSERT_TRUE(QFile::setPermissions(drives.host('C', "App/Famlore.ini"), QFile::ReadOwner));
    EXPECT_EQ(writeSettingsFile(drives.fileSystem(), state).error(),
              "C:\\App\\Famlore.ini cannot be written: it is read-only.");
    EXPECT_EQ(bytes(), kPlainFile);
    EXPECT_EQ(QDir(drives.host('C', "App")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"Famlore.ini"});
}

TEST_F(SettingsFile, ReadGivesTheseRecordsOrNoneForAFileThatIsNotUsable) {
    EXPECT_EQ(read(), "none|||||");
    const auto paddedTo = [](qint64 size) { return kPlainFile + QByteArray(size - kPlainFile.size(), 'x'); };
    const QByteArray paths =
        "\"C:\\PALM\\User1\"\r\n\"D:\\Gen\"\r\n\"tree.ged\"\r\n\"E:\\Out\"\r\n\"out.ged\"\r\n";
    const QString records = "C:\\PALM\\User1|D:\\Gen|tree.ged|E:\\Out|out.ged|";
    for (const auto& [file, expected] : std::initializer_list<std::pair<QByteArray, QString>>{
             {kHeader + paths + "\"Family\"\r\n", records + "Family"},
             {"\"fambridge\",\"1.40\"\r\n" + paths + "\"Family\"\r\n", "none|||||"},
             // An older version needs no seventh line and worked on the database Famlore; the version is
             // compared as written, not as a number.
             {"\"FAMBRIDGE\",\"1.30\"\r\n" + paths, records + "Famlore"},
             {"\"FAMBRIDGE\",\"1.4\"\r\n" + paths + "\"Family\"\r\n", records + "Famlore"},
             // Unquoted fields lose surrounding blanks, quoted ones keep them; fields may share a line; lone
             // line feeds end lines; high bytes are Windows-1252.
             {"FAMBRIDGE , 1.40\r\n  C:\\PALM\\User 1 \t\r\n\tD:\\Gen\n\" tree.ged \",,\r\n  Family\r\n",
              "C:\\PALM\\User 1|D:\\Gen| tree.ged |||Family"},
             {kHeader + "\"C:\\\x80uro\\\x9C\"\r\n\r\n\r\n\r\n\r\n\r\n", "C:\\€uro\\œ|||||"},
             {paddedTo(kSettingsSizeLimit), "C:\\PALM\\User1|||||"},
             {paddedTo(kSettingsSizeLimit + 1), "none|||||"},
             // A file of the current format is short without its seventh line, or its end.
             {kHeader + paths, "none|||||"},
             {kHeader + "\"C:\\PALM\\User1\"\r\n\r\n\r\n\r\n\r\n", "none|||||"},
             {QByteArray(), "none|||||"},
             {kPlainFile.left(30) + QByteArray(1, '\0') + kPlainFile.mid(30), "none|||||"},
         }) {
        put(file, "FAMLORE.INI");
        EXPECT_EQ(read(), expected) << ::testing::PrintToString(file);
    }
    // A folder with an empty name holds no file, whatever the name.
    AppState started;
    takeSavedChoices(started, {"C:", "", "tree.ged", "E:\\Out", "out.ged", "Family"});
    EXPECT_EQ(started.ImportFile + '|' + started.ExportFile, "|E:\\Out\\out.ged");
}

// Full path, folder, name; the pieces of a file that is not chosen stay in the state for the next choice.
TEST(SplitPath, CutsAtTheLastSeparatorOfEitherKindAndGivesNoFolderWithoutOne) {
    for (const QString row : {"C:\\tree.ged|C:|tree.ged", "C:\\Genealogy\\|C:\\Genealogy|",
                              "C:/Gen\\Sub/tree.ged|C:/Gen\\Sub|tree.ged", "tree.ged||tree.ged"}) {
        QStringList pieces{row.section('|', 0, 0), "stale", "stale"};
        SplitPath(pieces[0], pieces[1], pieces[2]);
        EXPECT_EQ(pieces.join('|'), row);
    }
    AppState state;
    state.ImportDir = "D:\\Old";
    state.ImportName = "old.ged";
    state.ExportFile = "E:\\Out\\family.ged";
    rememberChoices(state);
    EXPECT_EQ(QStringList({state.ImportDir, state.ImportName, state.ExportDir, state.ExportName}).join('|'),
              "D:\\Old|old.ged|E:\\Out|family.ged");
}

} // namespace
} // namespace fambridge
