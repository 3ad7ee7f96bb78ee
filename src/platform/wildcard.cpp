#include "platform/wildcard.h"

#include <QChar>

namespace fambridge::platform {

namespace {

// The code point at `at`, which then moves past it: a character outside the basic plane is one
// character to "?", as it is to Windows.
char32_t nextCodePoint(QStringView text, qsizetype& at) {
    const QChar first = text[at++];
    if (first.isHighSurrogate() && at < text.size() && text[at].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[at++]);
    return first.unicode();
}

} // namespace

bool matchesWildcard(QStringView pattern, QStringView name) {
    if (pattern == u"*.*")
        pattern = u"*";
    // Greedy matching that, on a mismatch, lets the last star swallow one more character. A pattern's
    // stars never need more than that, so the time stays proportional to the product of both lengths at
    // worst and to their sum for the suffix patterns that listings use; no regular expression engine is
    // loaded for it.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype afterStar = -1;
    qsizetype starSwallowedTo = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            qsizetype nextP = p;
            const char32_t wanted = nextCodePoint(pattern, nextP);
            if (wanted == U'*') {
                afterStar = p = nextP;
                starSwallowedTo = n;
                continue;
            }
            qsizetype nextN = n;
            const char32_t found = nextCodePoint(name, nextN);
            if (wanted == U'?' || QChar::toCaseFolded(wanted) == QChar::toCaseFolded(found)) {
                p = nextP;
                n = nextN;
                continue;
            }
        }
        if (afterStar < 0)
            return false;
        p = afterStar;
        nextCodePoint(name, starSwallowedTo);
        n = starSwallowedTo;
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace fambridge::platform
