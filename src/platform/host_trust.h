#pragma once

#include "result.h"

#include <QCoreApplication>
#include <QString>

namespace fambridge::platform {

// Which host files this user may trust, as OpenSSH's StrictModes and the kernel's protected_symlinks
// judge them: what another user could have planted or could still swap is not run, read or written
// through. Root and the user are the only owners trusted.
class HostTrust {
    Q_DECLARE_TR_FUNCTIONS(fambridge::platform::HostTrust)

public:
    // A program to run: owned by the user or root, writable by no one else, in a folder where no one else
    // can replace it (not writable by others, or sticky). `shownAs` names it in the message.
    static Status checkProgram(const QString& hostPath, const QString& shownAs);
    // A file to read or replace by its name: when the name is a symbolic link, the link must be the user's
    // or root's, or it may lead anywhere another user chose.
    static Status checkLink(const QString& hostPath, const QString& shownAs);
};

} // namespace fambridge::platform
