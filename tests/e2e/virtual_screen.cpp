#include "virtual_screen.h"

#include "close_request.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace fambridge::e2e {

namespace {

constexpr int kPollMs = 50;
// A person's pace between two keys, rather than xdotool's burst of one key every 12 ms.
const QString kKeyDelayMs = QStringLiteral("30");

QString findTool(const QString& name) {
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        throw StepFailed(QStringLiteral("%1 is not installed; tools/setup.sh installs it").arg(name));
    return path;
}

} // namespace

VirtualScreen::VirtualScreen(ChildProcesses& children, const ScenarioTime& time)
    : m_children(children), m_time(time) {}

void VirtualScreen::start(const QString& errorLog) {
    m_xdotool = findTool(QStringLiteral("xdotool"));
    // -displayfd makes the server take the first free display number and report it once it accepts
    // clients, so that scenarios running side by side never meet on one display.
    QProcess* server =
        m_children.start(findTool(QStringLiteral("Xvfb")),
                         {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp"), QStringLiteral("-noreset"), QStringLiteral("-screen"),
                          QStringLiteral("0"), QStringLiteral("800x600x24")},
                         QProcessEnvironment::systemEnvironment(), QString(), errorLog);
    if (!server)
        throw StepFailed(QStringLiteral("Xvfb could not be started"));
    const QDeadlineTimer deadline = m_time.step();
    QByteArray reported;
    while (!reported.endsWith('\n')) {
        if (server->state() == QProcess::NotRunning || deadline.hasExpired())
            throw StepFailed(QStringLiteral("Xvfb reported no display number; see %1").arg(errorLog));
        server->waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), kPollMs)));
        reported += server->readAllStandardOutput();
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(reported.trimmed());
}

QProcessEnvironment VirtualScreen::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    return environment;
}

QByteArray VirtualScreen::xdotool(const QStringList& arguments, bool nothingFoundIsFine) {
    const auto outcome = m_children.run(m_xdotool, arguments, environment(), m_time.step());
    if (!outcome.finished)
        throw StepFailed(QStringLiteral("xdotool %1 did not finish: %2")
                             .arg(arguments.join(QLatin1Char(' ')), m_time.whyOutOfTime()));
    // A search that finds nothing ends with status 1 and no output.
    if (outcome.exitCode != 0 && !(nothingFoundIsFine && outcome.exitCode == 1 && outcome.output.isEmpty()))
        throw StepFailed(QStringLiteral("xdotool %1 failed with status %2: %3")
                             .arg(arguments.join(QLatin1Char(' ')))
                             .arg(outcome.exitCode)
                             .arg(QString::fromLocal8Bit(outcome.errors)));
    return outcome.output;
}

std::vector<WindowId> VirtualScreen::shownWindows(const QString& title) {
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    const QByteArray output = xdotool(
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern}, true);
    std::vector<WindowId> windows;
    for (const QByteArray& line : output.split('\n')) {
        bool ok = false;
        const WindowId window = line.trimmed().toULongLong(&ok);
        if (ok)
            windows.push_back(window);
    }
    return windows;
}

WindowId VirtualScreen::waitForNewWindow(const QString& title, const std::vector<WindowId>& known) {
    const QDeadlineTimer deadline = m_time.step();
    for (;;) {
        for (const WindowId window : shownWindows(title)) {
            if (std::find(known.begin(), known.end(), window) == known.end())
                return window;
        }
        if (deadline.hasExpired())
            throw StepFailed(
                QStringLiteral("no new window \"%1\" was shown: %2").arg(title, m_time.whyOutOfTime()));
        QThread::msleep(kPollMs);
    }
}

void VirtualScreen::waitUntilGone(WindowId window, const QString& title) {
    const QDeadlineTimer deadline = m_time.step();
    for (;;) {
        const std::vector<WindowId> shown = shownWindows(title);
        if (std::find(shown.begin(), shown.end(), window) == shown.end())
            return;
        if (deadline.hasExpired())
            throw StepFailed(QStringLiteral("the window \"%1\" stayed on the screen: %2")
                                 .arg(title, m_time.whyOutOfTime()));
        QThread::msleep(kPollMs);
    }
}

void VirtualScreen::focus(WindowId window) {
    // Without a window manager nobody hands the focus back when a dialog closes; the user's click into
    // the window is what this stands for.
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
}

void VirtualScreen::pressKeys(WindowId window, const QStringList& keys) {
    focus(window);
    xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), kKeyDelayMs} + keys);
}

void VirtualScreen::typeText(WindowId window, const QString& text) {
    focus(window);
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), kKeyDelayMs, text});
}

QRect VirtualScreen::geometry(WindowId window) {
    const QByteArray output =
        xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)});
    QRect geometry;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> pair = line.trimmed().split('=');
        if (pair.size() != 2)
            continue;
        const int value = pair[1].toInt();
        if (pair[0] == "X")
            geometry.moveLeft(value);
        else if (pair[0] == "Y")
            geometry.moveTop(value);
        else if (pair[0] == "WIDTH")
            geometry.setWidth(value);
        else if (pair[0] == "HEIGHT")
            geometry.setHeight(value);
    }
    if (geometry.isEmpty())
        throw StepFailed(QStringLiteral("xdotool gave no geometry for window %1").arg(window));
    return geometry;
}

void VirtualScreen::click(QPoint point) {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(point.x()),
             QString::number(point.y()), QStringLiteral("click"), QStringLiteral("1")});
}

void VirtualScreen::pressCloseBox(WindowId window) {
    const std::string error = requestWindowClose(m_display.toStdString(), window);
    if (!error.empty())
        throw StepFailed(QString::fromStdString(error));
}

} // namespace fambridge::e2e
