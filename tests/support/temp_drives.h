#pragma once

#include "platform/drive_map.h"
#include "platform/file_system.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace fambridge::testing {

// Copies a Wine prefix: hard links where both lie on one file system, else copies; the registry, which Wine
// writes, is copied either way, so that the prefix copied is never written. False when it cannot.
bool copyPrefix(const QString& from, const QString& to);

// A throw-away Windows machine: a prefix in a temporary folder whose dosdevices links map C: (and any
// further drive asked for) onto fresh host folders, and a FileSystem over it. Tests may move the process's
// current folder onto its drives: it is put back before they go.
class TempDrives {
public:
    TempDrives();
    // Over a copy of this prefix, made beside it so that hard links can be made, with its drives as they are.
    explicit TempDrives(const QString& prefixToCopy);
    ~TempDrives() { QDir::setCurrent(m_savedFolder); }
    TempDrives(const TempDrives&) = delete;
    TempDrives& operator=(const TempDrives&) = delete;

    const QString& prefix() const { return m_prefix; }
    // Host folder behind a drive, created with its link on first use.
    QString drive(QChar letter);
    // Host path of a DOS-like relative path on a drive, e.g. host('C', "PALM/User1").
    QString host(QChar letter, const QString& relative) {
        return relative.isEmpty() ? drive(letter) : drive(letter) + QLatin1Char('/') + relative;
    }

    // Creates folders (and their parents) on a drive; returns the host path.
    QString makeFolder(QChar letter, const QString& relative);
    // Creates a file with the content given, parents included; returns the host path.
    QString makeFile(QChar letter, const QString& relative, const QByteArray& content = QByteArray());
    // The file's bytes; none when it cannot be read.
    QByteArray readHostFile(const QString& hostPath) const;

    // One file system for the fixture's life; it follows drives added through drive().
    platform::FileSystem& fileSystem();

private:
    QString m_savedFolder = QDir::currentPath();
    QTemporaryDir m_dir;
    QString m_prefix;
    std::unique_ptr<platform::FileSystem> m_fileSystem;
};

} // namespace fambridge::testing
