#include "platform/wildcard.h"

#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <random>
#include <utility>

namespace fambridge::platform {
namespace {

// What the random comparison below cannot see: characters its alphabet lacks, and the syntax its judge
// shares with the matcher.
TEST(MatchesWildcard, MatchesNamesAsWindowsDoes) {
    // Only "*.*" itself stands for names without a dot; other patterns with dotted stars need the dot.
    EXPECT_FALSE(matchesWildcard(u"*.*x", u"READMEx"));
    for (const auto& [pattern, name] : {
             // A character outside the basic plane is one character, as it is to Windows.
             std::pair{u"a?b", u"a\U0001D4B3b"},
             {u"\U00010400", u"\U00010428"},
             // Brackets and the characters of regular expressions are no syntax.
             {u"[ab]", u"[AB]"},
             {u".^$+(){}|\\", u".^$+(){}|\\"},
         }) {
        EXPECT_TRUE(matchesWildcard(pattern, name)) << QString::fromUtf16(pattern).toStdString();
    }
}

// A regular expression built from the pattern the plain way, as an independent judge of random cases.
bool judge(const QString& pattern, const QString& name) {
    QString expression;
    for (const QChar c : pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern) {
        if (c == QLatin1Char('*'))
            expression += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            expression += QLatin1Char('.');
        else
            expression += QRegularExpression::escape(QString(c));
    }
    const QRegularExpression matcher(QRegularExpression::anchoredPattern(expression),
                                     QRegularExpression::CaseInsensitiveOption |
                                         QRegularExpression::DotMatchesEverythingOption);
    return matcher.match(name).hasMatch();
}

TEST(MatchesWildcard, AgreesWithARegularExpressionOnRandomPatternsAndNames) {
    std::mt19937 random(20261206);
    auto pick = [&](const QString& letters, int maxLength) {
        QString text;
        for (int i = std::uniform_int_distribution<int>(0, maxLength)(random); i > 0; --i)
            text += letters[std::uniform_int_distribution<int>(0, letters.size() - 1)(random)];
        return text;
    };
    int matched = 0;
    for (int round = 0; round < 20000; ++round) {
        const QString pattern = pick(QStringLiteral("aAb.ä**?"), 6);
        const QString name = pick(QStringLiteral("aAb.äÄ"), 8);
        const bool expected = judge(pattern, name);
        ASSERT_EQ(matchesWildcard(pattern, name), expected)
            << pattern.toStdString() << " against " << name.toStdString();
        matched += expected;
    }
    // Both outcomes must have been tried often, or the agreement says little.
    EXPECT_GT(matched, 2000);
    EXPECT_LT(matched, 18000);
}

} // namespace
} // namespace fambridge::platform
