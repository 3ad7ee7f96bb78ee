#include "platform/text_file.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

#include <vector>

namespace fambridge::platform {
namespace {

using testing::outcome;
using testing::TempDrives;
using testing::valueOrError;

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

TEST(TextEncoding, IsWindows1252WhenEveryCharacterFitsElseUtf8BehindAMark) {
    const struct {
        const char* text;
        QByteArray bytes;
    } cases[] = {
        {"C:\\Palm\\User1", "C:\\Palm\\User1"},
        {"", ""},
        {"Généalogie", "G\xE9n\xE9\x61logie"},
        // Characters that Latin-1 lacks and the code page holds.
        {"5 € „Ÿ“…”", "5 \x80 \x84\x9F\x93\x85\x94"},
        {"C:\\家族.ged", kUtf8Mark + "C:\\\xE5\xAE\xB6\xE6\x97\x8F.ged"},
        // One character outside the code page moves the whole text, é included, to UTF-8.
        {"é Ж", kUtf8Mark + "\xC3\xA9 \xD0\x96"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(encodeText(c.text), c.bytes);
        EXPECT_EQ(valueOrError(decodeText(c.bytes)), QString(c.text));
    }
    // UTF-8 without a mark is not guessed at: a Windows program of this kind would read it as 1252 too.
    EXPECT_EQ(valueOrError(decodeText("\xC3\xA9")), "Ã©");
    EXPECT_EQ(valueOrError(decodeText(kUtf8Mark)), "");
}

TEST(TextEncoding, RefusesBytesThatAreNoText) {
    for (const QByteArray& bytes : {QByteArray("abc\0def", 7), kUtf8Mark + QByteArray("a\0b", 3),
                                    kUtf8Mark + "\xC3\x28", kUtf8Mark + "\xE5\xAE"})
        EXPECT_FALSE(decodeText(bytes)) << ::testing::PrintToString(bytes);
}

TEST(SplitLines, EndsALineAtCrLfOrALoneCrOrLf) {
    const struct {
        const char* text;
        std::vector<const char*> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\n\r\n\nb\r\n", {"a", "", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"", {}},
        {"single", {"single"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitLines(c.text), QStringList(c.lines.begin(), c.lines.end()))
            << ::testing::PrintToString(QByteArray(c.text));
    }
}

TEST(TextFile, WritesBackTheBytesItReadWithCrLfEndings) {
    TempDrives drives;
    FileSystem& fileSystem = drives.fileSystem();
    for (const QByteArray& bytes :
         {QByteArray("[Famlore]\r\nUserFolder=C:\\Palm\\User1\\\r\n"), QByteArray("Caf\xE9\r\n\x80\r\n"),
          kUtf8Mark + "\xE5\xAE\xB6\r\n\xC3\xA9\r\n", QByteArray("\r\n\r\n"), QByteArray()}) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        drives.makeFile('C', "Palm/Famlore.ini", bytes);
        const auto lines = readTextLines(fileSystem, "c:\\palm\\famlore.ini", 4096);
        ASSERT_TRUE(lines) << lines.error().toStdString();
        EXPECT_EQ(outcome(writeTextLines(fileSystem, "C:\\Palm\\Copy.ini", *lines)), "ok");
        EXPECT_EQ(drives.readHostFile(drives.host('C', "Palm/Copy.ini")), bytes);
    }
}

TEST(TextFile, ReadingNamesTheFileThatIsNoText) {
    TempDrives drives;
    drives.makeFile('C', "Palm/Binary.pdb", QByteArray("\0\1\2", 3));
    const auto lines = readTextLines(drives.fileSystem(), "C:\\Palm\\Binary.pdb", 4096);
    ASSERT_FALSE(lines);
    EXPECT_TRUE(lines.error().contains("C:\\Palm\\Binary.pdb")) << lines.error().toStdString();
}

} // namespace
} // namespace fambridge::platform
