#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace fambridge::testing {

// What a started stand-in converter received.
struct ConverterRecord {
    QStringList arguments;
    QString folder; // the folder it was started in
    QString winePrefix;
    QString fambridgePrefix;
};

// The stand-in converter program (record_args): the one named by FAMBRIDGE_STAND_IN when a test that
// reruns itself as another user has copied it where that user can reach it, else the one built.
QString standInProgram();
// Copies the stand-in converter into a host folder under the given name, executable.
QString installStandIn(const QString& hostFolder, const QString& name);
// The keys and values a stand-in (native or Windows) wrote to <hostProgram>.out, once the file is there;
// nothing if it never came within the time given.
std::optional<QList<std::pair<QByteArray, QString>>> waitForRecordFields(const QString& hostProgram,
                                                                         int timeoutMs);
// Waits for the record the stand-in at hostProgram writes when it runs; nothing if it never ran.
std::optional<ConverterRecord> waitForRecord(const QString& hostProgram, int timeoutMs = 10000);

} // namespace fambridge::testing
