#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace fambridge::e2e {

// Every program a scenario starts, so that none outlives the scenario, whether it passes, fails or is
// killed. Each program leads a process group of its own, which is stopped as a whole, and is killed by
// the kernel if the test process dies first. The converters that the program under test starts leave its
// process tree on purpose; the test process adopts them as a subreaper, so that they are found and
// stopped too.
class ChildProcesses {
public:
    ChildProcesses();
    ~ChildProcesses();
    ChildProcesses(const ChildProcesses&) = delete;
    ChildProcesses& operator=(const ChildProcesses&) = delete;

    // Starts a program directly, never through a shell; nothing when it cannot be started. Its error output
    // goes to the log file when one is named, so that a talkative program never blocks on a full pipe.
    QProcess* start(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment, const QString& workingFolder = QString(),
                    const QString& errorLog = QString());

    struct Outcome {
        bool finished = false; // ended on its own before the deadline
        int exitCode = -1;
        QByteArray output;
        QByteArray errors;
    };
    // Runs a short-lived tool to its end, or stops it at the deadline.
    Outcome run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                QDeadlineTimer deadline);

    // Waits for a started program to end by itself; false if it is still running at the deadline.
    static bool waitForEnd(QProcess& process, QDeadlineTimer deadline);

    // Stops every program still running, the latest started first, and every adopted process.
    void stopAll();
    // Descriptions of processes that are still alive although stopAll() has run.
    QStringList survivors() const;

private:
    void stop(QProcess& process);
    std::vector<qint64> adoptedChildren() const;

    std::vector<std::unique_ptr<QProcess>> m_processes;
    // Every process id a QProcess here was given: those children are reaped by QProcess, never by hand.
    std::set<qint64> m_started;
};

} // namespace fambridge::e2e
