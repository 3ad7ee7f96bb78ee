#include "platform/text_file.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fambridge::platform {
namespace {

using testing::TempDrives;
using testing::text;
using testing::valueOrError;

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

struct EncodingCase {
    const char* name;
    const char* text;
    QByteArray bytes;
    friend void PrintTo(const EncodingCase& c, std::ostream* out) { *out << c.name; }
};

class Encoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Encoding, UsesTheCodePageWhenEveryCharacterFitsElseUtf8WithMark) {
    EXPECT_EQ(encodeText(text(GetParam().text)), GetParam().bytes);
}

TEST_P(Encoding, DecodesBackToTheSameText) {
    EXPECT_EQ(valueOrError(decodeText(GetParam().bytes)), text(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Encoding,
    ::testing::Values(EncodingCase{"Ascii", "C:\\Palm\\User1", QByteArray("C:\\Palm\\User1")},
                      EncodingCase{"Empty", "", QByteArray()},
                      EncodingCase{"AccentedLetter", "Généalogie", QByteArray("G\xE9n\xE9\x61logie")},
                      EncodingCase{"EuroSign", "5 €", QByteArray("5 \x80")},
                      EncodingCase{"CodePageOnlyPunctuation", "„Ÿ“…”", QByteArray("\x84\x9F\x93\x85\x94")},
                      EncodingCase{"ChineseName", "C:\\家族.ged",
                                   kUtf8Mark + QByteArray("C:\\\xE5\xAE\xB6\xE6\x97\x8F.ged")},
                      EncodingCase{"CyrillicName", "Семья",
                                   kUtf8Mark + QByteArray("\xD0\xA1\xD0\xB5\xD0\xBC\xD1\x8C\xD1\x8F")},
                      // One character outside the code page moves the whole text, é included, to UTF-8.
                      EncodingCase{"MixedText", "é Ж", kUtf8Mark + QByteArray("\xC3\xA9 \xD0\x96")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeText, ReadsBytesWithoutMarkAsCodePage) {
    // UTF-8 without a mark is not guessed at: a Windows program of this kind would read it as 1252 too.
    EXPECT_EQ(valueOrError(decodeText(QByteArray("\xC3\xA9"))), text("Ã©"));
    EXPECT_EQ(valueOrError(decodeText(kUtf8Mark)), QString());
}

TEST(DecodeText, RefusesBytesThatAreNoText) {
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"NulInCodePageText", QByteArray("abc\0def", 7)},
        {"NulAfterMark", kUtf8Mark + QByteArray("a\0b", 3)},
        {"InvalidUtf8AfterMark", kUtf8Mark + QByteArray("\xC3\x28")},
        {"TruncatedUtf8AfterMark", kUtf8Mark + QByteArray("\xE5\xAE")},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeText(c.bytes);
        EXPECT_FALSE(decoded) << c.name;
        if (!decoded) {
            EXPECT_FALSE(decoded.error().isEmpty()) << c.name;
        }
    }
}

struct SplitCase {
    const char* name;
    const char* text;
    std::vector<const char*> lines;
    friend void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }
};

class SplitLines : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLines, EndsALineAtCrLfOrALoneCrOrLf) {
    QStringList expected;
    for (const char* line : GetParam().lines)
        expected.append(text(line));
    EXPECT_EQ(splitLines(text(GetParam().text)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitLines,
    ::testing::Values(SplitCase{"CrLf", "a\r\nb\r\n", {"a", "b"}}, SplitCase{"LoneLf", "a\nb\n", {"a", "b"}},
                      SplitCase{"LoneCr", "a\rb\r", {"a", "b"}},
                      SplitCase{"LastLineWithoutEnd", "a\r\nb", {"a", "b"}},
                      SplitCase{"EmptyLinesKept", "a\r\n\r\n\nb\r\n", {"a", "", "", "b"}},
                      SplitCase{"LfThenCrAreTwoEnds", "a\n\rb", {"a", "", "b"}},
                      SplitCase{"OnlyAnEnd", "\r\n", {""}}, SplitCase{"Empty", "", {}},
                      SplitCase{"SingleLine", "single", {"single"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinLines, EndsEveryLineWithCrLf) {
    EXPECT_EQ(joinLines({QStringLiteral("a"), QString(), QStringLiteral("b")}), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_EQ(joinLines({}), QByteArray());
}

class TextFileRoundTrip : public ::testing::TestWithParam<QByteArray> {};

TEST_P(TextFileRoundTrip, WritesBackTheBytesItRead) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("Palm/Famlore.ini"), GetParam());
    FileSystem& fileSystem = drives.fileSystem();

    const auto lines = readTextLines(fileSystem, QStringLiteral("c:\\palm\\famlore.ini"), 4096);
    ASSERT_TRUE(lines) << lines.error().toStdString();
    const Status written = writeTextLines(fileSystem, QStringLiteral("C:\\Palm\\Copy.ini"), *lines);
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_EQ(drives.readHostFile(drives.host('C', QStringLiteral("Palm/Copy.ini"))), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Files, TextFileRoundTrip,
                         ::testing::Values(QByteArray("[Famlore]\r\nUserFolder=C:\\Palm\\User1\\\r\n"),
                                           QByteArray("Caf\xE9\r\n\x80\r\n"),
                                           kUtf8Mark + QByteArray("\xE5\xAE\xB6\r\n\xC3\xA9\r\n"),
                                           QByteArray("\r\n\r\n"), QByteArray()));

TEST(TextFile, LinesWrittenAreReadBackUnchanged) {
    TempDrives drives;
    drives.makeFolder('C', QStringLiteral("Palm"));
    FileSystem& fileSystem = drives.fileSystem();
    for (const QStringList& lines : {QStringList{text("Généalogie"), QString(), text("5 €")},
                                     QStringList{text("Семья"), text("C:\\家族\\")}, QStringList{}}) {
        const Status written = writeTextLines(fileSystem, QStringLiteral("C:\\Palm\\Lines.txt"), lines);
        ASSERT_TRUE(written) << written.error().toStdString();
        const auto read = readTextLines(fileSystem, QStringLiteral("C:\\Palm\\Lines.txt"), 4096);
        ASSERT_TRUE(read) << read.error().toStdString();
        EXPECT_EQ(*read, lines);
    }
}

TEST(TextFile, ReadingNamesTheFileThatIsNoText) {
    TempDrives drives;
    drives.makeFile('C', QStringLiteral("Palm/Binary.pdb"), QByteArray("\0\1\2", 3));
    const auto lines = readTextLines(drives.fileSystem(), QStringLiteral("C:\\Palm\\Binary.pdb"), 4096);
    ASSERT_FALSE(lines);
    EXPECT_TRUE(lines.error().contains(QStringLiteral("C:\\Palm\\Binary.pdb")))
        << lines.error().toStdString();
}

} // namespace
} // namespace fambridge::platform
