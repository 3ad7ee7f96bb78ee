#include "converter_stand_in.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <stdexcept>

namespace fambridge::testing {

namespace {

// It is given no argument it could use to choose where to report, so it writes beside itself. Each record
// ends in a NUL byte, which no argument can hold, so the record is exact; it is written under another name
// and renamed, so that a poller never sees half of it. `cd -P` sets PWD to the folder as the kernel knows
// it, whatever PWD its starter's environment held. A variable that is not set leaves no record.
const char kStandIn[] = R"(#!/bin/sh
cd -P . && {
    for arg; do printf 'arg=%s\0' "$arg"; done
    printf 'cwd=%s\0' "$PWD"
    printf "${WINEPREFIX+WINEPREFIX=%s\0}" "$WINEPREFIX"
    printf "${FAMBRIDGE_PREFIX+FAMBRIDGE_PREFIX=%s\0}" "$FAMBRIDGE_PREFIX"
} >"$0.partial" && mv "$0.partial" "$0.out"
)";

} // namespace

QString installStandIn(const QString& hostFolder, const QString& name) {
    QFile file(hostFolder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(kStandIn) < 0 ||
        !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther))
        throw std::runtime_error("cannot write the stand-in converter " + file.fileName().toStdString());
    return file.fileName();
}

QStringList waitForRecord(const QString& hostProgram, int timeoutMs) {
    QFile file(hostProgram + QStringLiteral(".out"));
    for (const QDeadlineTimer deadline(timeoutMs); !file.exists(); QThread::msleep(10)) {
        if (deadline.hasExpired())
            return {};
    }
    // Every record holds at least its key and "=": no empty part is one.
    return file.open(QIODevice::ReadOnly)
               ? QString::fromUtf8(file.readAll()).split(QChar(0), Qt::SkipEmptyParts)
               : QStringList();
}

QStringList nativeRecord(const QStringList& arguments, const QString& folder, const QString& prefix) {
    QStringList record;
    for (const QString& argument : arguments)
        record.append(QStringLiteral("arg=") + argument);
    return record << QStringLiteral("cwd=") + folder << QStringLiteral("WINEPREFIX=") + prefix
                  << QStringLiteral("FAMBRIDGE_PREFIX=") + prefix;
}

} // namespace fambridge::testing
