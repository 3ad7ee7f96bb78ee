#include "platform/wildcard.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace fambridge::platform {
namespace {

// Capitals as Wine's upper-case table (RtlUpcaseUnicodeChar) gives them, which every look-up by name compares
// through: a letter has one only where lower-casing it gives the letter back, so ς, ſ, ı, µ, ϐ and ẛ keep
// their own form; no letter grows into several (ß), no capital is found by folding (K, the Kelvin sign); a
// Greek letter with a written-under iota takes the capital of one character; halves of a surrogate pair are
// no letters.
TEST(WindowsUpper, GivesACapitalOnlyWhereLowerCasingItGivesTheLetterBack) {
    const QString small = QString::fromUtf16(u"aAéфσÿǆςſıµǅϐẛßẞ\u212AİᾀᾳStraße\U00010428");
    const QString capital = QString::fromUtf16(u"AAÉФΣŸǄςſıµǅϐẛßẞ\u212AİᾈᾼSTRAßE\U00010428");
    ASSERT_EQ(small.size(), capital.size());
    for (qsizetype i = 0; i < small.size(); ++i)
        EXPECT_EQ(int(windowsUpper(small[i].unicode())), int(capital[i].unicode()))
            << std::hex << int(small[i].unicode());
    EXPECT_EQ(windowsUpper(small), capital);
}

// Rows "pattern = name" where the pattern matches the name, "pattern != name" where it does not. Matching is
// by UTF-16 unit, through Windows' upper-case table; trailing dots and blanks are dropped from a pattern;
// "*." finds names without an extension and the dots; what is left of a pattern at the name's end matches
// when it is only dots and stars; ">" stands for one character as "?" does, and a "?" after a star for any;
// "<", '"', brackets and the characters of regular expressions stand for themselves.
const char16_t* const kRows = uR"(*P.PDB = FamilyP.PDB; a??b = a𝒳b; a?b != a𝒳b; 𐐀 = 𐐀; 𐐀 != 𐐨
kelvin.pdb = KELVIN.PDB; STRAẞE.PDB != Straße.PDB; STRASSE.PDB != Straße.PDB; straße.pdb = STRAßE.PDB
ΣΟΦΟΣ = σοφοσ; ΣΟΦΟΣ != σοφος; I.TXT != ı.txt; ÉTÉ.TXT = été.txt
*P.PDB. .  = FamilyP.PDB; Famil?P.PDB. = FamilyP.PDB; *. = README; *. != FamilyP.PDB; *. = .; *. = ..
*.. = README; R*. = README; R*. != a; *.  != a.b; *.* = README; *.* = .; README.*.* = README; README*. = README
README.? != README; README? != README; *.? = ..; *.? != .; ? = .; ?? != x; >> = ab; > != ab; < != a; a"b != a.b
*? = x; *? != ; *?b = ab; [ab] = [AB]; [ab] != a; .^$+(){}|\ = .^$+(){}|\
)"
                              u"KELVIN.PDB != \u212AELVIN.PDB";

TEST(MatchesWildcard, MatchesNamesAsWindowsDoes) {
    for (const QString& row : QString::fromUtf16(kRows).replace('\n', "; ").split("; ", Qt::SkipEmptyParts)) {
        const bool matches = !row.contains(" != ");
        const QStringList sides = row.split(matches ? " = " : " != ");
        EXPECT_EQ(matchesWildcard(sides[0], sides[1]), matches) << row.toStdString();
    }
}

} // namespace
} // namespace fambridge::platform
