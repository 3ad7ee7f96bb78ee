#include "platform/wildcard.h"
#include "test_table.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace fambridge::platform {
namespace {

// Rows of wildcards.txt: "pattern = name" where the pattern matches the name, "pattern != name" where it does
// not. Matching is by UTF-16 unit, through Windows' upper-case table; trailing dots and blanks are dropped
// from a pattern;
// "*." finds names without an extension and the dots; what is left of a pattern at the name's end matches
// when it is only dots and stars; ">" stands for one character as "?" does, and a "?" after a star for any;
// "<", '"', brackets and the characters of regular expressions stand for themselves.
TEST(MatchesWildcard, MatchesNamesAsWindowsDoes) {
    for (const QString& row :
         testing::tableRows("wildcards.txt").join("; ").split("; ", Qt::SkipEmptyParts)) {
        const bool matches = !row.contains(" != ");
        const QStringList sides = row.split(matches ? " = " : " != ");
        EXPECT_EQ(matchesWildcard(sides[0], sides[1]), matches) << row.toStdString();
    }
}

} // namespace
} // namespace fambridge::platform
