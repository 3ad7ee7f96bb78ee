#include "temp_drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <stdexcept>

namespace fambridge::testing {
namespace {

platform::FileSystem openFileSystem(const QString& prefix) {
    auto map = platform::DriveMap::open(prefix);
    if (!map)
        throw std::runtime_error(map.error().toStdString());
    return platform::FileSystem(std::move(map).value());
}

} // namespace

bool copyPrefix(const QString& from, const QString& to) {
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-al"), from, to}) != 0 &&
        (!QDir(to).removeRecursively() ||
         QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), from, to}) != 0))
        return false;
    for (const QString& registry : QDir(to).entryList({QStringLiteral("*.reg")}, QDir::Files))
        if (!QFile::remove(to + QLatin1Char('/') + registry) ||
            !QFile::copy(from + QLatin1Char('/') + registry, to + QLatin1Char('/') + registry))
            return false;
    return true;
}

TempDrives::TempDrives(const QString& prefixToCopy) : m_dir(prefixToCopy + QStringLiteral("-copy-XXXXXX")) {
    m_prefix = m_dir.path() + QStringLiteral("/prefix");
    if (!m_dir.isValid() || !copyPrefix(prefixToCopy, m_prefix))
        throw std::runtime_error("cannot copy the prefix " + prefixToCopy.toStdString());
}

TempDrives::TempDrives() {
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    m_prefix = m_dir.path() + QStringLiteral("/prefix");
    QDir().mkpath(m_prefix + QStringLiteral("/dosdevices"));
    drive(QLatin1Char('C'));
}

QString TempDrives::drive(QChar letter) {
    const QString lower = QString(letter.toLower());
    const QString root = m_prefix + QStringLiteral("/drive_") + lower;
    const QString link = m_prefix + QStringLiteral("/dosdevices/") + lower + QLatin1Char(':');
    if (!QFileInfo(link).isSymLink()) {
        QDir().mkpath(root);
        QFile::link(QStringLiteral("../drive_") + lower, link);
        // Windows already holding the file system keep their reference; it learns the new drive in place.
        if (m_fileSystem)
            *m_fileSystem = openFileSystem(m_prefix);
    }
    return root;
}

QString TempDrives::makeFolder(QChar letter, const QString& relative) {
    const QString path = host(letter, relative);
    if (!QDir().mkpath(path))
        throw std::runtime_error("cannot create folder " + path.toStdString());
    return path;
}

QString TempDrives::makeFile(QChar letter, const QString& relative, const QByteArray& content) {
    const QString path = host(letter, relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot create file " + path.toStdString());
    return path;
}

QByteArray TempDrives::readHostFile(const QString& hostPath) const {
    QFile file(hostPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

platform::FileSystem& TempDrives::fileSystem() {
    if (!m_fileSystem)
        m_fileSystem = std::make_unique<platform::FileSystem>(openFileSystem(m_prefix));
    return *m_fileSystem;
}

} // namespace fambridge::testing
