#include "program_launcher.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <sys/stat.h>

namespace fambridge::platform {

namespace {

bool isExecutableFile(const QString& hostPath) {
    struct stat info {};
    return ::stat(QFile::encodeName(hostPath).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

} // namespace

Result<qint64> ProgramLauncher::start(const QString& dosProgram, const QStringList& arguments) {
    const auto parsed = m_fileSystem.parse(dosProgram);
    if (!parsed)
        return parsed.failure();
    if (parsed->isRoot() || parsed->trailingSeparator)
        return Failure{tr("%1 names a folder, not a program.").arg(dosProgram)};

    const QString name = parsed->components.back();
    const QString folder = parsed->parent().toString();
    QStringList command;

    const auto found = m_fileSystem.list(parsed->toString(), ListMask::Normal);
    const QString nativeName = found.empty() ? QString() : found.front();
    const auto nativeHost = m_fileSystem.toHost(parsed->toString());
    if (!nativeName.isEmpty() && nativeHost && isExecutableFile(*nativeHost)) {
        command = {*nativeHost};
    } else if (!name.contains(QLatin1Char('.'))) {
        const QString windowsProgram = parsed->toString() + QStringLiteral(".exe");
        if (!m_fileSystem.exists(windowsProgram, ListMask::Normal)) {
            if (!nativeName.isEmpty())
                return Failure{tr("%1 in %2 is not an executable program.").arg(name, folder)};
            return Failure{tr("%1 was not found in %2.").arg(name, folder)};
        }
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (wine.isEmpty())
            return Failure{tr("%1.exe in %2 is a Windows program, and wine, which runs it, is not "
                              "installed.")
                               .arg(name, folder)};
        const auto exeHost = m_fileSystem.toHost(windowsProgram);
        if (!exeHost)
            return exeHost.failure();
        command = {wine, *exeHost};
    } else if (!nativeName.isEmpty()) {
        return Failure{tr("%1 in %2 is not an executable program.").arg(name, folder)};
    } else {
        return Failure{tr("%1 was not found in %2.").arg(name, folder)};
    }

    QProcess process;
    process.setProgram(command.takeFirst());
    process.setArguments(command + arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), m_fileSystem.driveMap().prefix());
    environment.insert(QStringLiteral("FAMBRIDGE_PREFIX"), m_fileSystem.driveMap().prefix());
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return Failure{tr("%1 in %2 could not be started: %3.").arg(name, folder, process.errorString())};
    return pid;
}

} // namespace fambridge::platform
