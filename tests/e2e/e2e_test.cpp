#include "converter_stand_in.h"
#include "qt_printers.h"
#include "temp_drives.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <stdexcept>
#include <vector>

#include <sys/prctl.h>

// Last: its macros (None, Status, Bool) would break the Qt headers.
#include <X11/Xlib.h>

namespace fambridge::e2e {
namespace {

using namespace std::chrono_literals;
using fambridge::testing::installStandIn;
using fambridge::testing::nativeRecord;
using fambridge::testing::waitForRecord;

const QString kMain = QStringLiteral("Famlore Conversion Utility");
const QString kUserFolderDialog = QStringLiteral("Please select your User Folder");
const QString kExportDialog = QStringLiteral("Select GED File To Export To");

QByteArray settingsText(const QStringList& lines) {
    QByteArray text;
    for (const QString& line : lines)
        text += line.toLatin1() + "\r\n";
    return text;
}

// The real program on an X server of the test's own, started from C:\Conv over a drive map of its own and
// driven through xdotool as a user's keyboard and mouse drive it. There is no window manager: a window is
// given the focus before keys are pressed, as the user's click into it would. Every program started here is
// stopped when the test ends, and killed by the kernel should the test process die first.
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        m_app = drives.makeFolder('C', QStringLiteral("Conv"));
        // With -displayfd the server takes a free display, so tests may run side by side, and names it once
        // it accepts clients.
        QProcess& server = start(QStringLiteral("Xvfb"),
                                 {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "800x600x24"});
        while (!server.canReadLine() && server.waitForReadyRead(remainingMs()))
            ;
        m_display = server.readLine().trimmed();
        ASSERT_FALSE(m_display.isEmpty()) << "Xvfb named no display";
        qputenv("DISPLAY", ':' + m_display);
    }

    void TearDown() override {
        for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
            // SIGTERM first: Xvfb then removes its lock file and socket.
            (*it)->terminate();
            if (!(*it)->waitForFinished(3000))
                (*it)->kill();
            (*it)->waitForFinished(3000);
            EXPECT_EQ((*it)->state(), QProcess::NotRunning) << (*it)->program().toStdString() << " survived";
        }
    }

    QProcess& start(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        QProcess& process = *m_processes.emplace_back(std::make_unique<QProcess>());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_app);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        process.start(program, arguments);
        if (!process.waitForStarted())
            throw std::runtime_error(program.toStdString() + " could not be started");
        return process;
    }

    // Each step waits at most 15 s, and the whole test 40 s, so that a window that never comes fails the
    // test with a reason rather than running into ctest's limit.
    int remainingMs() const { return int(std::min(QDeadlineTimer(15s), m_end).remainingTime()); }

    // Runs xdotool to its end. A search looks at every window, and fails when one of them goes meanwhile: it
    // is run again. A search that finds nothing gives nothing.
    QByteArray xdotool(const QStringList& arguments) {
        QProcess tool;
        tool.start(QStringLiteral("xdotool"), arguments);
        const std::string call = "xdotool " + arguments.join(' ').toStdString();
        if (!tool.waitForFinished(remainingMs()))
            throw std::runtime_error(call + " did not finish in time");
        const QByteArray errors = tool.readAllStandardError();
        const bool search = arguments[0] == "search";
        if (search && errors.contains("BadWindow"))
            return xdotool(arguments);
        if (tool.exitCode() != 0 && !(search && errors.isEmpty()))
            throw std::runtime_error(call + " failed: " + errors.toStdString());
        return tool.readAllStandardOutput();
    }

    // Waits for the shown window with this title; its id.
    QString find(const QString& title) {
        return xdotool({"search", "--sync", "--onlyvisible", "--name", '^' + title + '$'}).split('\n')[0];
    }

    // Focuses the window, then presses the keys (or types the text) through XTEST, as a keyboard does:
    // window 0, since xdotool would otherwise send them to the window as synthetic events.
    void press(const QString& title, const QStringList& keys, const char* command = "key") {
        xdotool(QStringList{"windowfocus", "--sync", find(title), command, "--window", "0", "--delay", "30"} +
                keys);
    }

    void waitUntilGone(const QString& title) {
        while (!xdotool({"search", "--onlyvisible", "--name", '^' + title + '$'}).isEmpty()) {
            if (remainingMs() == 0)
                throw std::runtime_error(title.toStdString() + " stayed on the screen");
            QThread::msleep(50);
        }
    }

    // A left click at a point given as a fraction of the window's width and height.
    void click(const QString& title, double x, double y) {
        static const QRegularExpression shell(R"(X=(-?\d+)\nY=(-?\d+)\nWIDTH=(\d+)\nHEIGHT=(\d+))");
        const auto window =
            shell.match(QString::fromLatin1(xdotool({"getwindowgeometry", "--shell", find(title)})));
        ASSERT_TRUE(window.hasMatch());
        const auto at = [&](int offset, int size, double fraction) {
            return QString::number(window.captured(offset).toInt() +
                                   qRound(fraction * window.captured(size).toInt()));
        };
        xdotool({"mousemove", "--sync", at(1, 3, x), at(2, 4, y), "click", "1"});
    }

    // What a window manager sends when the user presses a window's close box.
    void pressCloseBox(const QString& title) {
        const Window window = find(title).toULong();
        Display* display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XCloseDisplay(display);
    }

    void startProgram() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The test run may ask Qt for its offscreen platform or a desktop's dialogs; the program must meet a
        // plain X screen, as on a user's desktop.
        for (const QString& name : environment.keys()) {
            if (name.startsWith("QT_"))
                environment.remove(name);
        }
        environment.remove("WINEPREFIX");
        environment.insert("FAMBRIDGE_PREFIX", drives.prefix());
        // Whatever Qt keeps for the user stays in the test's own home.
        environment.insert("HOME", m_home.path());
        m_program = &start(FAMBRIDGE_PROGRAM, {}, environment);
        find(kMain);
    }

    void expectProgramEnds() {
        if (!m_program->waitForFinished(remainingMs()))
            throw std::runtime_error("the program did not end");
        EXPECT_EQ(m_program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_program->exitCode(), 0);
    }

    QString settingsFile() const { return m_app + QStringLiteral("/Famlore.ini"); }

    fambridge::testing::TempDrives drives;
    QString m_app;

private:
    const QDeadlineTimer m_end{40s};
    QTemporaryDir m_home;
    QByteArray m_display;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QProcess* m_program = nullptr;
};

// Started from the root of C:, where the settings file is C:\Famlore.ini and FLImport is C:\FLImport.
TEST_F(EndToEnd, ImportFromTheKeyboardStartsFLImportAndExitClickedWritesTheSettingsBackByteForByte) {
    m_app = drives.drive('C');
    drives.makeFolder('C', "PALM/User1/Backup");
    const QString oldInstall = drives.makeFile('C', "PALM/User1/Install/famlorim.pdb", "old");
    drives.makeFile('C', "Gen/tree.ged");
    const QByteArray saved = settingsText(
        {R"("FAMBRIDGE","1.40")", R"("C:\PALM\User1")", R"("C:\Gen")", R"("tree.ged")", "", "", ""});
    drives.makeFile('C', "Famlore.ini", saved);
    const QString flImport = installStandIn(m_app, "FLImport");
    startProgram();

    // The focus starts on Exit; Import follows it.
    press(kMain, {"Tab", "Return"});

    EXPECT_EQ(
        waitForRecord(flImport, remainingMs()),
        nativeRecord({R"(C:\PALM\User1\INSTALL)", R"(C:\Gen\tree.ged)", R"(C:\)"}, m_app, drives.prefix()));
    EXPECT_FALSE(QFile::exists(oldInstall));

    // Read when the program started, the settings must come back from what it kept of them.
    QFile::remove(settingsFile());
    // The middle of Exit in the form's design, in twips; the window keeps the design's proportions.
    click(kMain, (240 + 975 / 2.0) / 11460, (3240 + 375 / 2.0) / 3810);
    expectProgramEnds();
    EXPECT_EQ(drives.readHostFile(settingsFile()), saved);
}

TEST_F(EndToEnd, UserFolderChosenByKeyboardIsExportedByFLExportAndSavedByExit) {
    drives.makeFolder('C', "PALM/User1/Backup");
    drives.makeFile('C', "PALM/User2/Backup/SecondP.PDB");
    drives.makeFile('C', "PALM/User2/Backup/SecondE.PDB");
    drives.makeFile('C', "Conv/Famlore.ini",
                    settingsText({R"("FAMBRIDGE","1.40")", R"("C:\PALM\User1")", "", "", "", "", ""}));
    const QString flExport = installStandIn(m_app, "FLExport");
    startProgram();

    // From Exit past the import Browse... to the user folder's.
    press(kMain, {"Tab", "Tab", "Return"});
    // Past Cancel to the folder list, where User1 is current: up to PALM and open it, down to User2 and open
    // that, then past the drive list round to OK.
    press(kUserFolderDialog,
          {"Tab", "Tab", "Up", "Return", "Down", "Down", "Return", "Tab", "Tab", "Return"});
    waitUntilGone(kUserFolderDialog);
    // User2's one database is the first entry of the list after the user folder's Browse...; picking it
    // enables the export Browse... two steps back.
    press(kMain, {"Tab", "Down", "shift+Tab", "shift+Tab", "Return"});
    press(kExportDialog, {"out.ged"}, "type");
    press(kExportDialog, {"Return"});
    waitUntilGone(kExportDialog);
    // Export lies past the user folder's Browse... and the database list.
    press(kMain, {"Tab", "Tab", "Tab", "Return"});

    EXPECT_EQ(
        waitForRecord(flExport, remainingMs()),
        nativeRecord({R"(C:\PALM\User2\BACKUP)", R"(C:\Conv\out.ged)", "Second"}, m_app, drives.prefix()));

    press(kMain, {"Tab", "Return"});
    expectProgramEnds();
    EXPECT_EQ(drives.readHostFile(settingsFile()),
              settingsText({R"("FAMBRIDGE","1.40")", R"("C:\PALM\User2")", "", "", R"("C:\Conv")",
                            R"("out.ged")", R"("Second")"}));
}

TEST_F(EndToEnd, CloseBoxEndsTheProgramWithoutWritingSettings) {
    drives.makeFolder('C', "PALM/User1/Backup");
    startProgram();

    pressCloseBox(kMain);

    expectProgramEnds();
    EXPECT_FALSE(QFile::exists(settingsFile()));
}

} // namespace
} // namespace fambridge::e2e
