#pragma once

#include "platform/program_launcher.h"
#include "platform/result.h"
#include "qt_printers.h"

#include <QString>

namespace fambridge::testing {

// A result for comparison: its value, or its error marked as such, so that a failed call shows why.
template <typename R> QString valueOrError(const R& result) {
    return result ? QString(*result) : QStringLiteral("error: ") + result.error();
}

// Whether a call succeeded, or why not, when its value is of no interest.
template <typename R> QString outcome(const R& result) {
    return result ? QStringLiteral("ok") : QStringLiteral("error: ") + result.error();
}

// Prepares and starts a program in one go, as the converter commands do.
inline Result<qint64> startProgram(platform::ProgramStarter& starter, const QString& dosProgram,
                                   const QStringList& arguments) {
    const auto prepared = starter.prepare(dosProgram, arguments);
    if (!prepared)
        return prepared.failure();
    return starter.start(*prepared);
}

} // namespace fambridge::testing
