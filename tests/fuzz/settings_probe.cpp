#include "settings_probe.h"

#include "platform/dos_path.h"
#include "platform/text_file.h"
#include "startup/settings_file.h"
#include "startup/start_up.h"

#include <QStringList>

#include <algorithm>

namespace fambridge::testing {

namespace {

bool isCarriedAsWritten(const QString& value) {
    return std::none_of(value.cbegin(), value.cend(),
                        [](QChar c) { return c == QLatin1Char('"') || c.unicode() < 0x20; });
}

bool isBareName(const QString& name) {
    return std::none_of(name.cbegin(), name.cend(), platform::isSeparator);
}

std::string describe(const SettingsRecords& r) {
    QString text;
    for (const QString* field :
         {&r.UserFolder, &r.ImportDir, &r.ImportName, &r.ExportDir, &r.ExportName, &r.DatabaseName})
        text += QLatin1Char('[') + *field + QLatin1Char(']');
    return text.toStdString();
}

bool operator==(const SettingsRecords& a, const SettingsRecords& b) {
    return a.UserFolder == b.UserFolder && a.ImportDir == b.ImportDir && a.ImportName == b.ImportName &&
           a.ExportDir == b.ExportDir && a.ExportName == b.ExportName && a.DatabaseName == b.DatabaseName;
}

// The state start-up leaves behind after reading these records.
AppState startedFrom(const SettingsRecords& records) {
    AppState state;
    takeSavedChoices(state, records);
    return state;
}

// A choice without a folder is no choice, and the database is kept only with an export file.
SettingsRecords expectedAfterSaving(SettingsRecords records) {
    if (records.ImportDir.isEmpty())
        records.ImportName.clear();
    if (records.ExportDir.isEmpty()) {
        records.ExportName.clear();
        records.DatabaseName.clear();
    }
    return records;
}

std::optional<SettingsRecords> readBack(const QByteArray& bytes) {
    const auto text = platform::decodeText(bytes);
    if (!text)
        return std::nullopt;
    return parseSettings(*text);
}

} // namespace

SettingsProbe probeSettings(const QByteArray& bytes) {
    SettingsProbe probe;
    // The reader never hands a larger file to the parser.
    if (bytes.size() > kSettingsSizeLimit)
        return probe;
    const auto records = readBack(bytes);
    if (!records)
        return probe;
    for (const QString* value : {&records->UserFolder, &records->ImportDir, &records->ImportName,
                                 &records->ExportDir, &records->ExportName, &records->DatabaseName}) {
        if (!isCarriedAsWritten(*value))
            return probe;
    }
    if (!isBareName(records->ImportName) || !isBareName(records->ExportName))
        return probe;

    probe.roundTripped = true;
    AppState state = startedFrom(*records);
    const QByteArray saved = platform::joinLines(settingsLines(state));
    const auto reread = readBack(saved);
    if (!reread) {
        probe.fault = "the saved file is no usable settings file: " + saved.toStdString();
        return probe;
    }
    const SettingsRecords expected = expectedAfterSaving(*records);
    if (!(*reread == expected)) {
        probe.fault = "saved " + describe(expected) + " but read back " + describe(*reread);
        return probe;
    }
    AppState again = startedFrom(*reread);
    if (platform::joinLines(settingsLines(again)) != saved)
        probe.fault = "saving what was read back gave other bytes than " + saved.toStdString();
    return probe;
}

} // namespace fambridge::testing
