#pragma once

#include <QByteArray>

#include <optional>
#include <string>

namespace fambridge::testing {

// What one settings file did to the reader.
struct SettingsProbe {
    // The bytes were read as a settings file, then written and read again.
    bool roundTripped = false;
    // Set when a saved file did not read back as what was saved: the property is broken for this input.
    std::optional<std::string> fault;
};

// Reads the bytes as start-up reads Famlore.ini. When they hold a usable file whose values a settings file
// can carry (no quote, no line break or other control character, no separator inside a file name),
// derives the choices as start-up does, writes them as Exit writes them and reads that text back: it must
// give the same records, and writing those again the same bytes.
SettingsProbe probeSettings(const QByteArray& bytes);

} // namespace fambridge::testing
