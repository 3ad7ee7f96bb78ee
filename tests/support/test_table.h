#pragma once

#include <QFile>
#include <QStringList>

#include <stdexcept>

namespace fambridge::testing {

// The rows of a table kept beside the test's sources, or in the folder given: one a line, blank lines and
// lines that begin with '#' left out. Tables are data, read by the test that states what their columns mean.
inline QStringList tableRows(const QString& name,
                             const QString& folder = QStringLiteral(FAMBRIDGE_TEST_SOURCE_DIR)) {
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + file.fileName().toStdString());
    QStringList rows;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
            rows.append(line);
    // A table that lost its rows would pass every test that reads it.
    if (rows.isEmpty())
        throw std::runtime_error(file.fileName().toStdString() + " has no rows");
    return rows;
}

} // namespace fambridge::testing
