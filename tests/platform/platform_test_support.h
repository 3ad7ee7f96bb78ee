#pragma once

#include "platform/result.h"
#include "qt_printers.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace fambridge::testing {

// A result for comparison: its value, or its error marked as such, so that a failed call shows why.
template <typename R> QString valueOrError(const R& result) {
    return result ? QString(*result) : QStringLiteral("error: ") + result.error();
}

// Whether a call succeeded, or why not, when its value is of no interest.
template <typename R> QString outcome(const R& result) {
    return result ? QStringLiteral("ok") : QStringLiteral("error: ") + result.error();
}

// Names in one string, so that a table row states a whole listing and a failure shows all of it.
inline QString joined(const std::vector<QString>& names) {
    return QStringList(names.begin(), names.end()).join(QLatin1Char('|'));
}

} // namespace fambridge::testing
