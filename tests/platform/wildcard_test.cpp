#include "platform/wildcard.h"

#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <random>

namespace fambridge::platform {
namespace {

TEST(MatchesWildcard, MatchesNamesAsWindowsDoes) {
    const struct {
        const char16_t* pattern;
        const char16_t* name;
        bool matches;
    } cases[] = {
        {u"", u"", true},
        {u"", u"a", false},
        {u"*", u"", true},
        // Only "*.*" itself stands for names without a dot; other patterns with dotted stars need the dot.
        {u"*.*x", u"READMEx", false},
        {u"a?", u"a", false},
        {u"?otes.tx?", u"Notes.txt", true},
        {u"x?y", u"x.y", true},
        {u"a.b", u"axb", false},
        {u"*P.PDB", u"FamilyP.PDB.bak", false},
        {u"*P.PDB", u"P.PDBxP.PDB", true},
        {u"*ab*ba*", u"xxabyyaabbaa", true},
        {u"*ab*ba*", u"xxabyyaab", false},
        {u"*?x", u"x", false},
        {u"*?x", u"ax", true},
        {u"abc***", u"abc", true},
        {u"a", u"b", false},
        {u"straße.GED", u"STRAßE.ged", true},
        {u"ÄRGER*", u"ärger.txt", true},
        {u"ΣΟΦΊΑ", u"σοφία", true},
        // A character outside the basic plane is one character, as it is to Windows.
        {u"a?b", u"a\U0001D4B3b", true},
        {u"\U00010400", u"\U00010428", true},
        // Brackets and the characters of regular expressions are no syntax.
        {u"[ab]", u"a", false},
        {u"[ab]", u"[AB]", true},
        {u".^$+(){}|\\", u".^$+(){}|\\", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(matchesWildcard(c.pattern, c.name), c.matches)
            << QString::fromUtf16(c.pattern).toStdString() << " against "
            << QString::fromUtf16(c.name).toStdString();
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
