#pragma once

#include <QString>
#include <QStringList>

namespace fambridge::testing {

// Writes the stand-in converter, a shell script, into a host folder under the given name, executable.
QString installStandIn(const QString& hostFolder, const QString& name);
// What a started stand-in, native or Windows, recorded in <hostProgram>.out, as "key=value" in the order
// written: arg (one for each argument), cwd, WINEPREFIX and FAMBRIDGE_PREFIX from the native one; line,
// arg (the line as Windows splits it), flags, show and folder from the Windows one. Empty when nothing
// came within the time given.
QStringList waitForRecord(const QString& hostProgram, int timeoutMs = 10000);
// The record of a native stand-in given these arguments and started in this folder with both prefix
// variables set to prefix.
QStringList nativeRecord(const QStringList& arguments, const QString& folder, const QString& prefix);

} // namespace fambridge::testing
