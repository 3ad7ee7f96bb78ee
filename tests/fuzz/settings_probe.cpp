#include "settings_probe.h"

#include "platform/dos_path.h"
#include "platform/text_file.h"
#include "startup/settings_file.h"
#include "startup/start_up.h"

#include <QStringList>

#include <algorithm>

namespace fambridge::testing {

namespace {

enum Field { UserFolder, ImportDir, ImportName, ExportDir, ExportName, DatabaseName };

QStringList fields(const SettingsRecords& r) {
    return {r.UserFolder, r.ImportDir, r.ImportName, r.ExportDir, r.ExportName, r.DatabaseName};
}

std::optional<SettingsRecords> readBack(const QByteArray& bytes) {
    const auto text = platform::decodeText(bytes);
    return text ? parseSettings(platform::splitLines(*text)) : std::nullopt;
}

// The choices start-up takes from the records, written as Exit writes them.
QByteArray saved(const SettingsRecords& records) {
    AppState state;
    takeSavedChoices(state, records);
    return platform::joinLines(settingsLines(state));
}

// A quote or a line break cannot be written inside a value, nor a separator inside a file name.
bool canBeCarried(const QStringList& values) {
    for (qsizetype i = 0; i < values.size(); ++i) {
        const bool name = i == ImportName || i == ExportName;
        if (std::any_of(values[i].cbegin(), values[i].cend(), [name](QChar c) {
                return c == QLatin1Char('"') || c.unicode() < 0x20 || (name && platform::isSeparator(c));
            }))
            return false;
    }
    return true;
}

} // namespace

SettingsProbe probeSettings(const QByteArray& bytes) {
    SettingsProbe probe;
    // The reader never hands a larger file to the parser.
    const auto records = bytes.size() <= kSettingsSizeLimit ? readBack(bytes) : std::nullopt;
    if (!records || !canBeCarried(fields(*records)))
        return probe;
    probe.roundTripped = true;
    // A choice without a folder is no choice, and the database is kept only with an export file.
    QStringList expected = fields(*records);
    if (expected[ImportDir].isEmpty())
        expected[ImportName].clear();
    if (expected[ExportDir].isEmpty())
        expected[ExportName].clear(), expected[DatabaseName].clear();
    const QByteArray once = saved(*records);
    const auto reread = readBack(once);
    if (!reread || fields(*reread) != expected)
        probe.fault = "expected [" + expected.join("][").toStdString() + "] back from " + once.toStdString();
    else if (saved(*reread) != once)
        probe.fault = "saving what was read back gave other bytes than " + once.toStdString();
    return probe;
}

} // namespace fambridge::testing
