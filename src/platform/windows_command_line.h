#pragma once

#include "result.h"

#include <QString>
#include <QStringList>

namespace fambridge::platform {

// The command line a Windows program receives: each field between double quotes, one blank apart. A run
// of backslashes that stands right before a closing quote is doubled, as CommandLineToArgvW and the C
// runtime expect, so that "C:\" arrives as C:\ and not as an escaped quote; a program that splits the
// line at quotes sees C:\\, which Windows reads as the same folder. A field that holds a double quote
// cannot be written on such a line at all, and no Windows path or name holds one: it is refused.
Result<QString> windowsCommandLine(const QStringList& fields);

} // namespace fambridge::platform
