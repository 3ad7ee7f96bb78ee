#include "program_launcher.h"

#include "windows_command_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <sys/stat.h>

namespace fambridge::platform {

namespace {

const QString kStarterName = QStringLiteral("fambridge-start.exe");

bool isExecutableFile(const QString& hostPath) {
    struct stat info {};
    return ::stat(QFile::encodeName(hostPath).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

// UTF-16 code units as four lower-case hexadecimal digits each: text that passes through wine's own
// quoting of a program's arguments unchanged.
QString hexUnits(const QString& text) {
    QString hex;
    hex.reserve(text.size() * 4);
    for (const QChar unit : text)
        hex += QStringLiteral("%1").arg(unit.unicode(), 4, 16, QLatin1Char('0'));
    return hex;
}

} // namespace

ProgramLauncher::ProgramLauncher(FileSystem& fileSystem, QString windowsStarter)
    : m_fileSystem(fileSystem), m_windowsStarter(std::move(windowsStarter)) {}

QString ProgramLauncher::windowsStarter() const {
    if (!m_windowsStarter.isEmpty())
        return m_windowsStarter;
    const QDir programFolder(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {programFolder.filePath(kStarterName),
          programFolder.filePath(QStringLiteral("../libexec/fambridge/") + kStarterName)}) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

Result<PreparedProgram> ProgramLauncher::prepare(const QString& dosProgram, const QStringList& arguments) {
    const auto parsed = m_fileSystem.parse(dosProgram);
    if (!parsed)
        return parsed.failure();
    if (parsed->isRoot() || parsed->trailingSeparator)
        return Failure{tr("%1 names a folder, not a program.").arg(dosProgram)};

    PreparedProgram program;
    program.name = parsed->components.back();
    program.folder = parsed->parent().toString();
    const auto hostFolder = m_fileSystem.toHost(program.folder);
    if (!hostFolder)
        return hostFolder.failure();
    program.hostFolder = *hostFolder;

    const auto found = m_fileSystem.list(parsed->toString(), ListMask::Normal);
    const bool nativeFound = !found.empty();
    const auto nativeHost = m_fileSystem.toHost(parsed->toString());
    if (nativeFound && nativeHost && isExecutableFile(*nativeHost)) {
        program.hostProgram = *nativeHost;
        program.hostArguments = arguments;
        return program;
    }
    if (program.name.contains(QLatin1Char('.')) ||
        !m_fileSystem.exists(parsed->toString() + QStringLiteral(".exe"), ListMask::Normal)) {
        if (nativeFound)
            return Failure{tr("%1 in %2 is not an executable program.").arg(program.name, program.folder)};
        return Failure{tr("%1 was not found in %2.").arg(program.name, program.folder)};
    }

    program.hostProgram = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (program.hostProgram.isEmpty())
        return Failure{tr("%1.exe in %2 is a Windows program, and wine, which runs it, is not installed.")
                           .arg(program.name, program.folder)};
    const QString starter = windowsStarter();
    if (starter.isEmpty())
        return Failure{tr("%1.exe in %2 is a Windows program, and %3, which starts it through wine, is "
                          "missing beside %4.")
                           .arg(program.name, program.folder, kStarterName,
                                QDir::toNativeSeparators(QCoreApplication::applicationFilePath()))};
    // The program field as the caller spelled it, without an extension: Windows finds the .exe itself.
    const auto commandLine = windowsCommandLine(QStringList{dosProgram} + arguments);
    if (!commandLine)
        return commandLine.failure();
    program.hostArguments = {starter, hexUnits(*commandLine), hexUnits(program.folder)};
    return program;
}

Result<qint64> ProgramLauncher::start(const PreparedProgram& program) {
    QProcess process;
    process.setProgram(program.hostProgram);
    process.setArguments(program.hostArguments);
    process.setWorkingDirectory(program.hostFolder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), m_fileSystem.driveMap().prefix());
    environment.insert(QStringLiteral("FAMBRIDGE_PREFIX"), m_fileSystem.driveMap().prefix());
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return Failure{tr("%1 in %2 could not be started: %3.")
                           .arg(program.name, program.folder, process.errorString())};
    return pid;
}

} // namespace fambridge::platform
