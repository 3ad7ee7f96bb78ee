#pragma once

#include <QString>
#include <QStringView>

namespace fambridge::platform {

// Windows compares names through its own upper-case table, one UTF-16 unit at a time: a letter has a
// capital only when lower-casing that capital gives the letter back, so that the Kelvin sign, the final
// sigma, the long s and the like stay themselves, a letter never grows into several (ß stays ß), and
// characters outside the basic plane have no letter case at all.
char16_t windowsUpper(char16_t unit);
QString windowsUpper(QStringView name);

// Whether a name matches a Windows wildcard pattern, as FindFirstFileW matches it:
// - "*" stands for any run of UTF-16 units, "?" and ">" for exactly one, everything else (brackets
//   included) for itself, compared through windowsUpper;
// - at the end of the name, what is left of the pattern matches when it is only dots and stars, so that
//   "*.*" and "README.*" find "README";
// - trailing dots and blanks of the pattern are dropped, as Windows drops them from any name; when a dot
//   was among them and the pattern then ends in a star ("*.", "FAM*."), that star takes no dot, so such a
//   pattern finds names without an extension (and the entries "." and "..").
bool matchesWildcard(QStringView pattern, QStringView name);

} // namespace fambridge::platform
