#pragma once

#include <QStringView>

namespace fambridge::platform {

// Whether a name matches a Windows wildcard pattern: "*" stands for any run of characters, "?" for
// exactly one, everything else (brackets included) for itself without regard to case, and "*.*" for
// every name, with a dot or without.
bool matchesWildcard(QStringView pattern, QStringView name);

} // namespace fambridge::platform
