#pragma once

#include "child_processes.h"
#include "scenario_time.h"

#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

namespace fambridge::e2e {

using WindowId = qulonglong;

// An X server of the scenario's own on an 800 x 600 screen, the size the main window was designed for, and
// the user in front of it: finding windows, focusing them, pressing keys, typing and clicking, all through
// xdotool, so that the program receives the input a person's keyboard and mouse would give it.
// There is no window manager: the scenario gives a window the keyboard focus itself before it types.
// Every operation either succeeds or throws StepFailed.
class VirtualScreen {
public:
    VirtualScreen(ChildProcesses& children, const ScenarioTime& time);

    // Starts the X server on the first free display number.
    void start(const QString& errorLog);
    // The display name, such as ":3", for the DISPLAY of the programs started on this screen.
    const QString& display() const { return m_display; }

    // The shown top-level windows with exactly this title.
    std::vector<WindowId> shownWindows(const QString& title);
    // Waits for a shown window with this title that is none of those already known.
    WindowId waitForNewWindow(const QString& title, const std::vector<WindowId>& known = {});
    // Waits until the window is no longer shown (hidden or destroyed).
    void waitUntilGone(WindowId window, const QString& title);

    // Gives the window the keyboard focus, then presses the keys one after the other (xdotool key names:
    // "Tab", "shift+Tab", "Return", "Down").
    void pressKeys(WindowId window, const QStringList& keys);
    void typeText(WindowId window, const QString& text);
    // Where the window's client area lies on the screen.
    QRect geometry(WindowId window);
    // A left click at a point of the screen.
    void click(QPoint point);
    // The user presses the window's close box.
    void pressCloseBox(WindowId window);

private:
    QByteArray xdotool(const QStringList& arguments, bool nothingFoundIsFine = false);
    void focus(WindowId window);
    QProcessEnvironment environment() const;

    ChildProcesses& m_children;
    const ScenarioTime& m_time;
    QString m_xdotool;
    QString m_display;
};

} // namespace fambridge::e2e
