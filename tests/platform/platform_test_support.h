#pragma once

#include "platform/result.h"
#include "qt_printers.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

namespace fambridge::testing {

// A result for comparison: its value, or its error marked as such, so that a failed call shows why.
template <typename R> QString valueOrError(const R& result) {
    return result ? QString(*result) : QStringLiteral("error: ") + result.error();
}

inline QString outcome(const Status& status) {
    return status ? QStringLiteral("ok") : QStringLiteral("error: ") + status.error();
}

// Names in one string, so that a table row states a whole listing and a failure shows all of it.
inline QString joined(const std::vector<QString>& names) {
    return QStringList(names.begin(), names.end()).join(QLatin1Char('|'));
}

// Every name in a host folder, hidden ones included, in the host's own byte order: what is really there.
inline QStringList hostNames(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Sets the process's current folder for one test and restores the old one, so that the tests after it see
// the folder they started in. Declare it after the TempDrives it points into, so the folder is left before
// it is removed.
class CurrentFolderGuard {
public:
    explicit CurrentFolderGuard(const QString& folder) : m_saved(QDir::currentPath()) {
        if (!QDir::setCurrent(folder))
            throw std::runtime_error("cannot enter " + folder.toStdString());
    }
    ~CurrentFolderGuard() { QDir::setCurrent(m_saved); }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
    QString m_saved;
};

// Points a drive letter of a prefix at any host folder. A FileSystem or DriveMap opened before does not see
// the change.
inline void linkDrive(const QString& prefix, QChar letter, const QString& target) {
    const QString link = prefix + QStringLiteral("/dosdevices/") + letter.toLower() + QLatin1Char(':');
    QFile::remove(link);
    if (!QFile::link(target, link))
        throw std::runtime_error("cannot link " + link.toStdString());
}

} // namespace fambridge::testing
