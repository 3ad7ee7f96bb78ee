#include "end_to_end_test.h"

#include <QDir>
#include <QFile>

#include <iostream>

namespace fambridge::e2e {

void EndToEndTest::SetUp() {
    ASSERT_TRUE(m_home.isValid());
    m_appHost = drives.makeFolder('C', QStringLiteral("Conv"));
    screen.start(logFile(QStringLiteral("Xvfb")));
}

void EndToEndTest::TearDown() {
    children.stopAll();
    const QStringList survivors = children.survivors();
    EXPECT_TRUE(survivors.isEmpty()) << "still running: "
                                     << survivors.join(QStringLiteral(", ")).toStdString();
    if (HasFailure()) {
        for (const QString& name : {QStringLiteral("fambridge"), QStringLiteral("Xvfb")}) {
            QFile log(logFile(name));
            const QByteArray text = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
            if (!text.isEmpty())
                std::cerr << "--- error output of " << name.toStdString() << ":\n"
                          << text.toStdString() << '\n';
        }
    }
}

QString EndToEndTest::logFile(const QString& name) const {
    return m_home.filePath(name + QStringLiteral(".log"));
}

QByteArray EndToEndTest::settingsText(const QStringList& lines) {
    QByteArray text;
    for (const QString& line : lines)
        text += line.toLatin1() + "\r\n";
    return text;
}

QString EndToEndTest::settingsFile() const {
    return m_appHost + QStringLiteral("/Famlore.ini");
}

void EndToEndTest::writeSettings(const QStringList& lines) {
    drives.makeFile('C', QStringLiteral("Conv/Famlore.ini"), settingsText(lines));
}

QByteArray EndToEndTest::readSettings() const {
    return drives.readHostFile(settingsFile());
}

QString EndToEndTest::installConverter(const QString& name) {
    return fambridge::testing::installStandIn(m_appHost, name);
}

fambridge::testing::ConverterRecord EndToEndTest::converterRecord(const QString& hostProgram) {
    const auto record =
        fambridge::testing::waitForRecord(hostProgram, int(std::max<qint64>(time.step().remainingTime(), 0)));
    if (!record)
        throw StepFailed(QStringLiteral("%1 was not started: %2").arg(hostProgram, time.whyOutOfTime()));
    return *record;
}

QProcessEnvironment EndToEndTest::programEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The test run may ask Qt for its offscreen platform, scale the screen or pick a desktop's file dialog;
    // the program must meet the plain X screen instead, as on a user's desktop.
    for (const QString& name : environment.keys()) {
        if (name.startsWith(QLatin1String("QT_")))
            environment.remove(name);
    }
    environment.remove(QStringLiteral("WINEPREFIX"));
    environment.insert(QStringLiteral("DISPLAY"), screen.display());
    environment.insert(QStringLiteral("FAMBRIDGE_PREFIX"), drives.prefix());
    // Whatever Qt keeps for the user (the file dialog's history, say) stays in the scenario's own home.
    const QString home = m_home.path();
    const QString runtime = home + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    return environment;
}

void EndToEndTest::startProgram() {
    m_program = children.start(QStringLiteral(FAMBRIDGE_PROGRAM), {}, programEnvironment(), m_appHost,
                               logFile(QStringLiteral("fambridge")));
    if (!m_program)
        throw StepFailed(QStringLiteral("%1 could not be started").arg(QStringLiteral(FAMBRIDGE_PROGRAM)));
    mainWindow = screen.waitForNewWindow(kMainWindowTitle);
}

bool EndToEndTest::programRunning() const {
    return m_program && m_program->state() != QProcess::NotRunning;
}

void EndToEndTest::expectProgramEnds() {
    if (!m_program)
        throw StepFailed(QStringLiteral("the program was never started"));
    if (!ChildProcesses::waitForEnd(*m_program, time.step()))
        throw StepFailed(QStringLiteral("the program did not end: %1").arg(time.whyOutOfTime()));
    EXPECT_EQ(m_program->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program->exitCode(), 0);
}

void EndToEndTest::exportTo(const QString& typedName) {
    screen.pressKeys(mainWindow, {"Return"});
    const WindowId dialog = screen.waitForNewWindow(kExportFileDialogTitle);
    screen.typeText(dialog, typedName);
    screen.pressKeys(dialog, {"Return"});
    screen.waitUntilGone(dialog, kExportFileDialogTitle);
    // The focus went back to the export Browse...; Export lies past the user folder's Browse... and the
    // database list.
    screen.pressKeys(mainWindow, {"Tab", "Tab", "Tab", "Return"});
}

void EndToEndTest::clickControl(WindowId window, const DesignedControl& control) {
    const QRect client = screen.geometry(window);
    const double x = (control.left + control.width / 2.0) * client.width() / control.clientWidth;
    const double y = (control.top + control.height / 2.0) * client.height() / control.clientHeight;
    screen.click(client.topLeft() + QPoint(qRound(x), qRound(y)));
}

} // namespace fambridge::e2e
