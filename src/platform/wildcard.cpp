#include "platform/wildcard.h"

#include <QChar>

#include <array>

namespace fambridge::platform {

namespace {

char16_t computeWindowsUpper(char16_t unit) {
    if (QChar::isSurrogate(unit))
        return unit;
    char32_t upper = QChar::toUpper(char32_t(unit));
    // Qt gives letters whose full capital takes two characters (ᾀ, whose capital is ἈΙ) no capital of one
    // character; their title case is the one Windows uses.
    if (upper == unit)
        upper = QChar::toTitleCase(char32_t(unit));
    if (upper > 0xFFFF || QChar::toLower(upper) != unit)
        return unit;
    return char16_t(upper);
}

using UpperTable = std::array<char16_t, 0x10000>;

const UpperTable& upperTable() {
    static const UpperTable table = [] {
        UpperTable built{};
        for (std::size_t unit = 0; unit < built.size(); ++unit)
            built[unit] = computeWindowsUpper(char16_t(unit));
        return built;
    }();
    return table;
}

bool isTrailingBlank(QChar c) {
    return c == QLatin1Char('.') || c == QLatin1Char(' ');
}

bool onlyDotsAndStars(QStringView rest) {
    for (const QChar c : rest) {
        if (c != QLatin1Char('.') && c != QLatin1Char('*'))
            return false;
    }
    return true;
}

// Greedy matching that, on a mismatch, lets the last star swallow one more unit. A pattern's stars never
// need more than that, so the time stays proportional to the product of both lengths at worst and to their
// sum for the suffix patterns that listings use; no regular expression engine is loaded for it.
bool matchesPlain(QStringView pattern, QStringView name) {
    const UpperTable& upper = upperTable();
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype afterStar = -1;
    qsizetype starSwallowedTo = 0;
    while (true) {
        if (n == name.size()) {
            if (onlyDotsAndStars(pattern.mid(p)))
                return true;
        } else if (p < pattern.size()) {
            const char16_t wanted = pattern[p].unicode();
            if (wanted == u'*') {
                afterStar = ++p;
                starSwallowedTo = n;
                continue;
            }
            if (wanted == u'?' || wanted == u'>' || upper[wanted] == upper[name[n].unicode()]) {
                ++p;
                ++n;
                continue;
            }
        }
        if (afterStar < 0 || starSwallowedTo == name.size())
            return false;
        p = afterStar;
        n = ++starSwallowedTo;
    }
}

} // namespace

char16_t windowsUpper(char16_t unit) {
    return upperTable()[unit];
}

QString windowsUpper(QStringView name) {
    const UpperTable& upper = upperTable();
    QString result(name.size(), Qt::Uninitialized);
    QChar* out = result.data();
    for (const QChar c : name)
        *out++ = QChar(upper[c.unicode()]);
    return result;
}

bool matchesWildcard(QStringView pattern, QStringView name) {
    qsizetype end = pattern.size();
    bool droppedDot = false;
    while (end > 0 && isTrailingBlank(pattern[end - 1]))
        droppedDot |= pattern[--end] == QLatin1Char('.');
    pattern = pattern.left(end);
    if (!droppedDot || !pattern.endsWith(QLatin1Char('*')))
        return matchesPlain(pattern, name);

    // Windows reads "*." as a star that runs up to the name's last dot and that dot at the very end, or
    // no dot at all.
    if (name.endsWith(QLatin1Char('.')))
        return matchesPlain(pattern, name.chopped(1));
    return !name.contains(QLatin1Char('.')) && matchesPlain(pattern, name);
}

} // namespace fambridge::platform
