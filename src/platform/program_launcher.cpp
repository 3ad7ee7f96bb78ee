#include "program_launcher.h"

#include "host_trust.h"
#include "windows_command_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace fambridge::platform {

namespace {

const QString kStarterName = QStringLiteral("fambridge-start.exe");
// A first start in a new prefix sets the prefix up, which takes wine some seconds.
constexpr int kWindowsStartLimitMs = 60000;

bool isExecutableFile(const QString& hostPath) {
    struct stat info {};
    return ::stat(QFile::encodeName(hostPath).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

// The kernel runs a script through the interpreter its first line names. A script saved with Windows line
// ends names one that ends in a carriage return, which does not exist; the start would fail only after the
// install file was taken away, and with a message that names no file.
QString missingInterpreter(const QString& hostPath) {
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray head = file.read(256);
    if (!head.startsWith("#!"))
        return QString();
    qsizetype start = 2;
    while (start < head.size() && (head[start] == ' ' || head[start] == '\t'))
        ++start;
    qsizetype end = start;
    while (end < head.size() && head[end] != ' ' && head[end] != '\t' && head[end] != '\n')
        ++end;
    const QByteArray interpreter = head.mid(start, end - start);
    if (::access(interpreter.constData(), X_OK) == 0)
        return QString();
    return QString::fromLocal8Bit(interpreter).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
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
    const auto located = locate(dosProgram);
    if (!located)
        return located.failure();
    const QString path = childPath(located->folder, located->name);
    const bool nativeFound = m_fileSystem.exists(path, ListMask::Normal);
    const auto nativeHost = m_fileSystem.toHost(path);
    if (nativeFound && nativeHost && isExecutableFile(*nativeHost))
        return prepareNative(*located, *nativeHost, arguments);
    const QString windowsPath = path + QStringLiteral(".exe");
    if (located->name.contains(QLatin1Char('.')) || !m_fileSystem.exists(windowsPath, ListMask::Normal))
        return notFound(*located, path, nativeFound);
    // The program field as the caller spelled it, without an extension: Windows finds the .exe itself.
    return prepareWindows(*located, windowsPath, QStringList{dosProgram} + arguments);
}

Result<PreparedProgram> ProgramLauncher::locate(const QString& dosProgram) {
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
    return program;
}

QString ProgramLauncher::shownAs(const PreparedProgram& program) {
    return tr("%1 in %2").arg(program.name, program.folder);
}

Result<PreparedProgram> ProgramLauncher::prepareNative(PreparedProgram program, const QString& hostProgram,
                                                       const QStringList& arguments) {
    if (::access(QFile::encodeName(hostProgram).constData(), X_OK) != 0)
        return Failure{tr("%1 cannot be run: you may not execute it.").arg(shownAs(program))};
    if (const Status trusted = HostTrust::checkProgram(hostProgram, shownAs(program)); !trusted)
        return trusted.failure();
    if (const QString interpreter = missingInterpreter(hostProgram); !interpreter.isEmpty())
        return Failure{tr("%1 cannot be run: its first line names an interpreter that does not exist "
                          "(%2)%3")
                           .arg(shownAs(program), interpreter,
                                interpreter.endsWith(QStringLiteral("\\r"))
                                    ? tr(": was it saved with Windows line ends?")
                                    : QStringLiteral("."))};
    program.hostProgram = hostProgram;
    program.hostArguments = arguments;
    return program;
}

Failure ProgramLauncher::notFound(const PreparedProgram& program, const QString& path, bool fileFound) {
    if (fileFound)
        return Failure{tr("%1 is not an executable program.").arg(shownAs(program))};
    if (m_fileSystem.exists(path, ListMask::Directory))
        return Failure{tr("%1 is a folder, not a program.").arg(shownAs(program))};
    return Failure{tr("%1 was not found in %2.").arg(program.name, program.folder)};
}

Result<PreparedProgram> ProgramLauncher::prepareWindows(PreparedProgram program, const QString& windowsPath,
                                                        const QStringList& fields) {
    const auto windowsHost = m_fileSystem.toHost(windowsPath);
    if (!windowsHost)
        return windowsHost.failure();
    if (const Status trusted =
            HostTrust::checkProgram(*windowsHost, tr("%1.exe in %2").arg(program.name, program.folder));
        !trusted)
        return trusted.failure();

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
    const auto commandLine = windowsCommandLine(fields);
    if (!commandLine)
        return commandLine.failure();
    program.hostArguments = {starter, hexUnits(*commandLine), hexUnits(program.folder)};
    program.windows = true;
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
    const auto failed = [&program](const QString& reason) {
        return Failure{tr("%1 in %2 could not be started: %3").arg(program.name, program.folder, reason)};
    };
    if (!program.windows) {
        // A native program that cannot run fails here, in exec, and the caller learns of it.
        qint64 pid = 0;
        if (!process.startDetached(&pid))
            return failed(process.errorString() + QLatin1Char('.'));
        return pid;
    }
    // The Windows starter ends as soon as Windows created the converter's process, or failed to: only its
    // exit status tells whether the converter runs. The converter itself goes on alone.
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted(kWindowsStartLimitMs))
        return failed(process.errorString() + QLatin1Char('.'));
    const qint64 pid = process.processId();
    if (!process.waitForFinished(kWindowsStartLimitMs)) {
        process.kill();
        process.waitForFinished();
        return failed(tr("wine did not start it within %1 seconds.").arg(kWindowsStartLimitMs / 1000));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return failed(
            tr("wine reported: %1").arg(QString::fromLocal8Bit(process.readAll()).trimmed().right(500)));
    return pid;
}

} // namespace fambridge::platform
