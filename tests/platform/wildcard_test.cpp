#include "platform/wildcard.h"

#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <random>

namespace fambridge::platform {
namespace {

struct WildcardCase {
    const char* label;
    const char16_t* pattern;
    const char16_t* name;
    bool matches;
    friend void PrintTo(const WildcardCase& c, std::ostream* out) { *out << c.label; }
};

class MatchesWildcard : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(MatchesWildcard, AsWindowsMatchesNames) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(matchesWildcard(c.pattern, c.name), c.matches)
        << QString::fromUtf16(c.pattern).toStdString() << " against "
        << QString::fromUtf16(c.name).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, MatchesWildcard,
    ::testing::Values(
        WildcardCase{"EmptyPatternMatchesOnlyEmptyName", u"", u"", true},
        WildcardCase{"EmptyPatternRefusesAName", u"", u"a", false},
        WildcardCase{"StarMatchesEmptyName", u"*", u"", true},
        WildcardCase{"StarDotStarMatchesNameWithoutDot", u"*.*", u"README", true},
        WildcardCase{"OtherDottedStarsNeedTheDot", u"*.*x", u"READMEx", false},
        WildcardCase{"QuestionMarkNeedsACharacter", u"a?", u"a", false},
        WildcardCase{"LiteralTailAfterStarMustEndTheName", u"*P.PDB", u"FamilyP.PDB.bak", false},
        WildcardCase{"StarBacktracksToTheLastOccurrence", u"*P.PDB", u"P.PDBxP.PDB", true},
        WildcardCase{"TwoStarsBacktrack", u"*ab*ba*", u"xxabyyaabbaa", true},
        WildcardCase{"TwoStarsRefuseMissingPart", u"*ab*ba*", u"xxabyyaab", false},
        WildcardCase{"StarThenQuestionMark", u"*?x", u"x", false},
        WildcardCase{"StarThenQuestionMarkWithRoom", u"*?x", u"ax", true},
        WildcardCase{"TrailingStarsMatchNothing", u"abc***", u"abc", true},
        WildcardCase{"CaseIsIgnoredForLatinLetters", u"straße.GED", u"STRAßE.ged", true},
        WildcardCase{"CaseIsIgnoredBeyondAscii", u"ÄRGER*", u"ärger.txt", true},
        WildcardCase{"CaseIsIgnoredForGreek", u"ΣΟΦΊΑ", u"σοφία", true},
        WildcardCase{"DifferentLettersDiffer", u"a", u"b", false},
        WildcardCase{"QuestionMarkTakesAWholeCharacterOutsideTheBasicPlane", u"a?b", u"a\U0001D4B3b", true},
        WildcardCase{"CaseIsIgnoredOutsideTheBasicPlane", u"\U00010400", u"\U00010428", true},
        WildcardCase{"BracketsAreLiteral", u"[ab]", u"a", false},
        WildcardCase{"BracketsMatchThemselves", u"[ab]", u"[AB]", true},
        WildcardCase{"RegularExpressionCharactersAreLiteral", u".^$+(){}|\\", u".^$+(){}|\\", true},
        WildcardCase{"DotIsNoWildcard", u"a.b", u"axb", false}));

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

TEST(MatchesWildcardAgainstARegularExpression, AgreesOnRandomPatternsAndNames) {
    const QString patternLetters = QStringLiteral("aAb.ä**?");
    const QString nameLetters = QStringLiteral("aAb.äÄ");
    std::mt19937 random(20261206);
    auto pick = [&](const QString& letters, int length) {
        QString text;
        for (int i = 0; i < length; ++i)
            text += letters[std::uniform_int_distribution<int>(0, letters.size() - 1)(random)];
        return text;
    };
    int matched = 0;
    for (int round = 0; round < 20000; ++round) {
        const QString pattern = pick(patternLetters, std::uniform_int_distribution<int>(0, 6)(random));
        const QString name = pick(nameLetters, std::uniform_int_distribution<int>(0, 8)(random));
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
