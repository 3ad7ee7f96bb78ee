#include "converter_stand_in.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <stdexcept>

namespace fambridge::testing {

QString standInProgram() {
    const QString copied = qEnvironmentVariable("FAMBRIDGE_STAND_IN");
    return copied.isEmpty() ? QStringLiteral(RECORD_ARGS_PATH) : copied;
}

QString installStandIn(const QString& hostFolder, const QString& name) {
    const QString target = hostFolder + QLatin1Char('/') + name;
    QFile::remove(target);
    if (!QFile::copy(standInProgram(), target))
        throw std::runtime_error("cannot copy the stand-in converter to " + target.toStdString());
    QFile::setPermissions(target,
                          QFile::permissions(target) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return target;
}

std::optional<ConverterRecord> waitForRecord(const QString& hostProgram, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QFile file(hostProgram + QStringLiteral(".out"));
    while (!file.exists()) {
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(10);
    }
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> fields = file.readAll().split('\0');
    ConverterRecord record;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QString value = QString::fromUtf8(fields[i + 1]);
        if (fields[i] == "arg")
            record.arguments.append(value);
        else if (fields[i] == "cwd")
            record.folder = value;
        else if (fields[i] == "WINEPREFIX")
            record.winePrefix = value;
        else if (fields[i] == "FAMBRIDGE_PREFIX")
            record.fambridgePrefix = value;
    }
    return record;
}

} // namespace fambridge::testing
