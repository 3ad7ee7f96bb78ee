#include "platform/text_file.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace fambridge::platform {
namespace {

using testing::outcome;
using testing::TempDrives;
using testing::valueOrError;

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

TEST(TextEncoding, IsWindows1252WhenEveryCharacterFitsElseUtf8BehindAMarkAndNeverBytesThatAreNoText) {
    for (const auto& [text, bytes] : {
             // Characters that Latin-1 lacks and the code page holds.
             std::pair<const char*, QByteArray>{"Café 5 € „Ÿ“…”", "Caf\xE9 5 \x80 \x84\x9F\x93\x85\x94"},
             {"C:\\家族.ged", kUtf8Mark + "C:\\\xE5\xAE\xB6\xE6\x97\x8F.ged"},
             // One character outside the code page moves the whole text, é included, to UTF-8.
             {"é Ж", kUtf8Mark + "\xC3\xA9 \xD0\x96"},
         }) {
        EXPECT_EQ(encodeText(text), bytes) << text;
        EXPECT_EQ(valueOrError(decodeText(bytes)), QString(text));
    }
    // UTF-8 without a mark is not guessed at: a Windows program of this kind would read it as 1252 too.
    EXPECT_EQ(valueOrError(decodeText("\xC3\xA9")), "Ã©");
    for (const QByteArray& bytes : {QByteArray("abc\0def", 7), kUtf8Mark + "\xE5\xAE"})
        EXPECT_FALSE(decodeText(bytes)) << ::testing::PrintToString(bytes);
}

TEST(SplitLines, EndsALineAtCrLfOrALoneCrOrLf) {
    for (const auto& [text, lines] : std::initializer_list<std::pair<const char*, QStringList>>{
             {"a\rb\r", {"a", "b"}},
             {"a\r\nb", {"a", "b"}},
             {"a\r\n\r\n\nb\r\n", {"a", "", "", "b"}},
             {"a\n\rb", {"a", "", "b"}},
             {"", {}},
         })
        EXPECT_EQ(splitLines(text), lines) << ::testing::PrintToString(QByteArray(text));
}

TEST(TextFile, WritesBackTheBytesItReadWithCrLfEndingsAndNamesAFileThatIsNoText) {
    TempDrives drives;
    FileSystem& fileSystem = drives.fileSystem();
    for (const QByteArray& bytes : {QByteArray("[Famlore]\r\nUserFolder=C:\\Palm\\User1\\\r\n\r\n\x80\r\n"),
                                    kUtf8Mark + "\xE5\xAE\xB6\r\n\xC3\xA9\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        drives.makeFile('C', "Palm/Famlore.ini", bytes);
        const auto lines = readTextLines(fileSystem, "c:\\palm\\famlore.ini", 4096);
        ASSERT_TRUE(lines) << lines.error().toStdString();
        EXPECT_EQ(outcome(writeTextLines(fileSystem, "C:\\Palm\\Copy.ini", *lines)), "ok");
        EXPECT_EQ(drives.readHostFile(drives.host('C', "Palm/Copy.ini")), bytes);
    }
    drives.makeFile('C', "Palm/Binary.pdb", QByteArray("\0\1\2", 3));
    const auto binary = readTextLines(fileSystem, "C:\\Palm\\Binary.pdb", 4096);
    EXPECT_TRUE(!binary && binary.error().contains("C:\\Palm\\Binary.pdb")) << outcome(binary).toStdString();
}

} // namespace
} // namespace fambridge::platform
