#pragma once

#include "file_system.h"
#include "result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace fambridge::platform {

// Text in the Windows-1252 code page that Windows programs of this kind read and write, unless it holds a
// character that code page lacks: then the whole text is UTF-8 behind a byte-order mark, so that no
// character of a path is ever lost.
QByteArray encodeText(const QString& text);
// Recognises the UTF-8 byte-order mark; anything else is Windows-1252. Text with a NUL byte, or UTF-8
// that does not decode, is not text.
Result<QString> decodeText(const QByteArray& bytes);

// Lines end in CR LF, the last one included. Reading also accepts a lone CR or LF.
QByteArray joinLines(const QStringList& lines);
QStringList splitLines(const QString& text);

Result<QStringList> readTextLines(FileSystem& fileSystem, const QString& dosPath, qint64 maxBytes);
Status writeTextLines(FileSystem& fileSystem, const QString& dosPath, const QStringList& lines);

} // namespace fambridge::platform
