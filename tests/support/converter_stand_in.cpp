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

std::optional<QList<std::pair<QByteArray, QString>>> waitForRecordFields(const QString& hostProgram,
                                                                         int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QFile file(hostProgram + QStringLiteral(".out"));
    while (!file.exists()) {
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(10);
    }
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> parts = file.readAll().split('\0');
    QList<std::pair<QByteArray, QString>> fields;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        fields.append({parts[i], QString::fromUtf8(parts[i + 1])});
    return fields;
}

std::optional<ConverterRecord> waitForRecord(const QString& hostProgram, int timeoutMs) {
    const auto fields = waitForRecordFields(hostProgram, timeoutMs);
    if (!fields)
        return std::nullopt;
    ConverterRecord record;
    for (const auto& [key, value] : *fields) {
        if (key == "arg")
            record.arguments.append(value);
        else if (key == "cwd")
            record.folder = value;
        else if (key == "WINEPREFIX")
            record.winePrefix = value;
        else if (key == "FAMBRIDGE_PREFIX")
            record.fambridgePrefix = value;
    }
    return record;
}

} // namespace fambridge::testing
