#include "platform/wildcard.h"

#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <random>
#include <utility>

namespace fambridge::platform {
namespace {

QString text(const char16_t* utf16) {
    return QString::fromUtf16(utf16);
}

// Capitals as Wine's upper-case table gives them (RtlUpcaseUnicodeChar), which FindFirstFileW and every
// look-up by name compare through.
TEST(WindowsUpper, GivesACapitalOnlyWhereLowerCasingItGivesTheLetterBack) {
    for (const auto& [unit, upper] : {
             std::pair<char16_t, char16_t>{u'a', u'A'},
             {u'A', u'A'},
             {u'é', u'É'},
             {u'ф', u'Ф'},
             {u'σ', u'Σ'},
             {u'ÿ', u'Ÿ'},
             {u'ǆ', u'Ǆ'},
             // Letters whose capital lower-cases to another letter keep their own form.
             {u'ς', u'ς'},
             {u'ſ', u'ſ'},
             {u'ı', u'ı'},
             {u'µ', u'µ'},
             {u'ǅ', u'ǅ'},
             {u'ϐ', u'ϐ'},
             {u'ẛ', u'ẛ'},
             // No letter grows into several, and a capital is no small letter's capital by folding.
             {u'ß', u'ß'},
             {u'ẞ', u'ẞ'},
             {u'K', u'K'},
             {u'İ', u'İ'},
             // A Greek letter with a written-under iota takes the capital of one character.
             {u'ᾀ', u'ᾈ'},
             {u'ᾳ', u'ᾼ'},
             // Halves of a surrogate pair are no letters.
             {char16_t(0xD801), char16_t(0xD801)},
             {char16_t(0xDC28), char16_t(0xDC28)},
         }) {
        EXPECT_EQ(int(windowsUpper(unit)), int(upper)) << std::hex << int(unit);
    }
    EXPECT_EQ(windowsUpper(u"Straße\u212A\U00010428"), text(u"STRAßE\u212A\U00010428"));
}

// What the random comparison below cannot see: characters its alphabet lacks, trailing dots and blanks,
// and the syntax its judge shares with the matcher.
TEST(MatchesWildcard, MatchesNamesAsWindowsDoes) {
    for (const auto& [pattern, name, matches] : {
             std::tuple<const char16_t*, const char16_t*, bool>{u"*P.PDB", u"FamilyP.PDB", true},
             // A character outside the basic plane is two units, to "?" and to letter case.
             {u"a?b", u"a\U0001D4B3b", false},
             {u"a??b", u"a\U0001D4B3b", true},
             {u"\U00010400", u"\U00010428", false},
             {u"\U00010400", u"\U00010400", true},
             // Letter case through Windows' table: no folding, no letter that grows.
             {u"KELVIN.PDB", u"\u212AELVIN.PDB", false},
             {u"kelvin.pdb", u"KELVIN.PDB", true},
             {u"STRAẞE.PDB", u"Straße.PDB", false},
             {u"STRASSE.PDB", u"Straße.PDB", false},
             {u"straße.pdb", u"STRAßE.PDB", true},
             {u"ΣΟΦΟΣ", u"σοφος", false},
             {u"ΣΟΦΟΣ", u"σοφοσ", true},
             {u"I.TXT", u"ı.txt", false},
             {u"ÉTÉ.TXT", u"été.txt", true},
             // Trailing dots and blanks are dropped from a pattern.
             {u"*P.PDB.", u"FamilyP.PDB", true},
             {u"*P.PDB. . ", u"FamilyP.PDB", true},
             {u"Famil?P.PDB.", u"FamilyP.PDB", true},
             // "*." finds names without an extension, and the dots.
             {u"*.", u"README", true},
             {u"*.", u"FamilyP.PDB", false},
             {u"*.", u".", true},
             {u"*.", u"..", true},
             {u"*..", u"README", true},
             {u"R*.", u"README", true},
             {u"R*.", u"a", false},
             {u"*. ", u"a.b", false},
             // What is left of a pattern at the name's end matches when it is only dots and stars.
             {u"*.*", u"README", true},
             {u"*.*", u".", true},
             {u"README.*", u"README", true},
             {u"README.*.*", u"README", true},
             {u"README*.", u"README", true},
             {u"README.?", u"README", false},
             {u"README?", u"README", false},
             {u"*.?", u"..", true},
             {u"*.?", u".", false},
             {u"?", u".", true},
             {u"??", u"x", false},
             // ">" stands for one character, as "?" does; "<" and '"' for themselves, which no name holds.
             {u">>", u"ab", true},
             {u">", u"ab", false},
             {u"<", u"a", false},
             {u"a\"b", u"a.b", false},
             // A star before "?" lets the "?" stand for any character.
             {u"*?", u"x", true},
             {u"*?", u"", false},
             {u"*?b", u"ab", true},
             // Brackets and the characters of regular expressions are no syntax.
             {u"[ab]", u"[AB]", true},
             {u"[ab]", u"a", false},
             {u".^$+(){}|\\", u".^$+(){}|\\", true},
         }) {
        EXPECT_EQ(matchesWildcard(text(pattern), text(name)), matches)
            << text(pattern).toStdString() << " against " << text(name).toStdString();
    }
}

// A regular expression built from the pattern the plain way, as an independent judge of random cases: the
// name, upper-cased, matches the whole of some beginning of the pattern after which only dots and stars
// are left. Trailing dots and blanks, which the matcher drops first, are kept out of its patterns.
bool judge(const QString& pattern, const QString& name) {
    for (qsizetype kept = pattern.size(); kept >= 0; --kept) {
        const QString rest = pattern.mid(kept);
        if (rest.contains(QRegularExpression(QStringLiteral("[^.*]"))))
            break;
        QString expression;
        for (const QChar c : windowsUpper(pattern.left(kept))) {
            if (c == QLatin1Char('*'))
                expression += QStringLiteral(".*");
            else if (c == QLatin1Char('?') || c == QLatin1Char('>'))
                expression += QLatin1Char('.');
            else
                expression += QRegularExpression::escape(QString(c));
        }
        const QRegularExpression matcher(QRegularExpression::anchoredPattern(expression),
                                         QRegularExpression::DotMatchesEverythingOption);
        if (matcher.match(windowsUpper(name)).hasMatch())
            return true;
    }
    return false;
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
        QString pattern = pick(QStringLiteral("aAb.ä***?>σς"), 6);
        while (pattern.endsWith(QLatin1Char('.')))
            pattern.chop(1);
        const QString name = pick(QStringLiteral("aAb.äÄσΣς"), 8);
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
