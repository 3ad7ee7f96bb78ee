#include "platform/wildcard.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace fambridge::platform {
namespace {

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
