#include "platform/text_file.h"
#include "platform_test_support.h"

#include <gtest/gtest.h>

namespace fambridge::platform {
namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

// Windows-1252 when every character fits, else UTF-8 behind its mark; UTF-8 without a mark is not guessed at,
// since a Windows program of this kind would read it as 1252 too.
TEST(TextEncoding, IsWindows1252WhenEveryCharacterFitsElseUtf8BehindAMarkAndNeverBytesThatAreNoText) {
    for (const auto& [text, bytes] : {
             // Characters that Latin-1 lacks and the code page holds.
             std::pair<const char*, QByteArray>{"Café 5 € „Ÿ“…”", "Caf\xE9 5 \x80 \x84\x9F\x93\x85\x94"},
             // One character outside the code page moves the whole text, é included, to UTF-8.
             {"é 家", kUtf8Mark + "\xC3\xA9 \xE5\xAE\xB6"},
         }) {
        EXPECT_EQ(encodeText(text), bytes) << text;
        EXPECT_EQ(testing::valueOrError(decodeText(bytes)), QString(text));
    }
    EXPECT_EQ(testing::valueOrError(decodeText("\xC3\xA9")), "Ã©");
    for (const QByteArray& bytes : {QByteArray("abc\0def", 7), kUtf8Mark + "\xE5\xAE"})
        EXPECT_FALSE(decodeText(bytes)) << ::testing::PrintToString(bytes);
}

// Lines are joined with CR LF on writing, as the exact bytes of the settings file show.
TEST(SplitLines, EndsALineAtCrLfOrALoneCrOrLf) {
    EXPECT_EQ(splitLines("a\rb\r\nc\r\n\r\n\nd\n\re"), (QStringList{"a", "b", "c", "", "", "d", "", "e"}));
    EXPECT_EQ(splitLines("a\r\n"), QStringList{"a"});
    EXPECT_EQ(splitLines(""), QStringList{});
}

} // namespace
} // namespace fambridge::platform
