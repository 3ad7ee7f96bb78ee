#pragma once

#include "qt_printers.h"

#include <QByteArray>
#include <QChar>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace fambridge::testing {

// Test tables hold UTF-8 literals; this is the one place they become Qt strings.
inline QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

inline std::vector<QString> texts(const std::vector<const char*>& utf8) {
    std::vector<QString> result;
    for (const char* item : utf8)
        result.push_back(text(item));
    return result;
}

// A string result for comparison: its value, or its error marked as such, so that a failed call shows why.
template <typename R> QString valueOrError(const R& result) {
    return result ? QString(*result) : QStringLiteral("error: ") + result.error();
}

// Every name in a host folder, hidden ones included, in the host's own byte order: what is really there.
inline QStringList hostNames(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Sets the process's current folder for one test and restores the old one, so that a test of relative
// paths sees a folder it chose and the tests after it see the folder they started in. Declare it after the
// TempDrives it points into, so the folder is left before it is removed.
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

// Points a drive letter of a prefix at any host folder, replacing the link it had. A FileSystem or DriveMap
// opened before does not see the change.
inline void linkDrive(const QString& prefix, QChar letter, const QString& target) {
    const QString link = prefix + QStringLiteral("/dosdevices/") + letter.toLower() + QLatin1Char(':');
    QFile::remove(link);
    if (!QFile::link(target, link))
        throw std::runtime_error("cannot link " + link.toStdString());
}

} // namespace fambridge::testing
