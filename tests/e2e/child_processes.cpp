#include "child_processes.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <csignal>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fambridge::e2e {

namespace {

constexpr int kStartMs = 5000;
// Long enough for the X server to remove its lock file and socket on SIGTERM, which SIGKILL would leave.
constexpr int kGraceMs = 3000;

QByteArray procFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 parentOf(qint64 pid) {
    const QByteArray stat = procFile(pid, "stat");
    // The command name in parentheses may hold blanks and parentheses itself; after its last closing
    // parenthesis the fields are fixed: the state, then the parent's id.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : -1;
}

QString describe(qint64 pid) {
    QByteArray commandLine = procFile(pid, "cmdline");
    commandLine.replace('\0', ' ');
    return QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(commandLine.trimmed())).arg(pid);
}

} // namespace

ChildProcesses::ChildProcesses() {
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
}

ChildProcesses::~ChildProcesses() {
    stopAll();
}

QProcess* ChildProcesses::start(const QString& program, const QStringList& arguments,
                                const QProcessEnvironment& environment, const QString& workingFolder,
                                const QString& errorLog) {
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process->setWorkingDirectory(workingFolder);
    process->setStandardInputFile(QProcess::nullDevice());
    if (!errorLog.isEmpty())
        process->setStandardErrorFile(errorLog, QIODevice::Append);
    const pid_t testProcess = ::getpid();
    process->setChildProcessModifier([testProcess] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The test process may have died between the fork and the line above; the signal would never come.
        if (::getppid() != testProcess)
            ::_exit(127);
    });
    process->start();
    if (!process->waitForStarted(kStartMs))
        return nullptr;
    m_started.insert(process->processId());
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

ChildProcesses::Outcome ChildProcesses::run(const QString& program, const QStringList& arguments,
                                            const QProcessEnvironment& environment, QDeadlineTimer deadline) {
    Outcome outcome;
    QProcess* process = start(program, arguments, environment);
    if (!process)
        return outcome;
    outcome.finished = waitForEnd(*process, deadline);
    if (!outcome.finished)
        stop(*process);
    else
        outcome.exitCode = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    outcome.output = process->readAllStandardOutput();
    outcome.errors = process->readAllStandardError();
    // A scenario runs dozens of these; only the ones still running need keeping.
    std::erase_if(m_processes, [process](const auto& kept) { return kept.get() == process; });
    return outcome;
}

bool ChildProcesses::waitForEnd(QProcess& process, QDeadlineTimer deadline) {
    if (process.state() == QProcess::NotRunning)
        return true;
    return process.waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 0)));
}

void ChildProcesses::stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    const qint64 group = process.processId();
    ::kill(pid_t(-group), SIGTERM);
    if (process.waitForFinished(kGraceMs))
        return;
    ::kill(pid_t(-group), SIGKILL);
    process.waitForFinished(kGraceMs);
}

std::vector<qint64> ChildProcesses::adoptedChildren() const {
    std::vector<qint64> adopted;
    const qint64 self = ::getpid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (numeric && !m_started.contains(pid) && parentOf(pid) == self)
            adopted.push_back(pid);
    }
    return adopted;
}

void ChildProcesses::stopAll() {
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it)
        stop(**it);
    for (const qint64 pid : adoptedChildren()) {
        ::kill(pid_t(pid), SIGKILL);
        ::waitpid(pid_t(pid), nullptr, 0);
    }
}

QStringList ChildProcesses::survivors() const {
    QStringList alive;
    for (const auto& process : m_processes) {
        if (process->state() != QProcess::NotRunning)
            alive.append(describe(process->processId()));
    }
    for (const qint64 pid : adoptedChildren())
        alive.append(describe(pid));
    return alive;
}

} // namespace fambridge::e2e
