#include "host_trust.h"

#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fambridge::platform {

namespace {

bool trustedOwner(uid_t owner) {
    return owner == 0 || owner == ::geteuid();
}

QString userName(uid_t uid) {
    if (const passwd* entry = ::getpwuid(uid))
        return QString::fromLocal8Bit(entry->pw_name);
    return QStringLiteral("user %1").arg(uid);
}

bool othersMayWrite(const struct stat& info) {
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

} // namespace

Status HostTrust::checkProgram(const QString& hostPath, const QString& shownAs) {
    const QByteArray path = QFile::encodeName(hostPath);
    struct stat link {};
    struct stat file {};
    struct stat folder {};
    if (::lstat(path.constData(), &link) != 0 || ::stat(path.constData(), &file) != 0 ||
        ::stat(QFile::encodeName(QFileInfo(hostPath).absolutePath()).constData(), &folder) != 0)
        return Failure{tr("%1 cannot be examined.").arg(shownAs)};
    for (const struct stat* owned : {&link, &file}) {
        if (!trustedOwner(owned->st_uid))
            return Failure{tr("%1 belongs to %2, not to you: another user could have put it there, so it is "
                              "not started.")
                               .arg(shownAs, userName(owned->st_uid))};
    }
    if (othersMayWrite(file))
        return Failure{tr("%1 may be changed by other users, so it is not started.").arg(shownAs)};
    if (othersMayWrite(folder) && (folder.st_mode & S_ISVTX) == 0)
        return Failure{
            tr("%1 lies in a folder where other users may replace it, so it is not started.").arg(shownAs)};
    return {};
}

Status HostTrust::checkLink(const QString& hostPath, const QString& shownAs) {
    struct stat link {};
    if (::lstat(QFile::encodeName(hostPath).constData(), &link) != 0 || !S_ISLNK(link.st_mode) ||
        trustedOwner(link.st_uid))
        return {};
    return Failure{tr("%1 is a symbolic link that belongs to %2, not to you: it is neither read nor written "
                      "through.")
                       .arg(shownAs, userName(link.st_uid))};
}

} // namespace fambridge::platform
