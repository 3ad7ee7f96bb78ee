#pragma once

#include "child_processes.h"
#include "converter_stand_in.h"
#include "qt_printers.h"
#include "scenario_time.h"
#include "temp_drives.h"
#include "virtual_screen.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace fambridge::e2e {

inline const QString kMainWindowTitle = QStringLiteral("Famlore Conversion Utility");
inline const QString kUserFolderDialogTitle = QStringLiteral("Please select your User Folder");
inline const QString kExportFileDialogTitle = QStringLiteral("Select GED File To Export To");

// The application folder every scenario starts the program from, as the program names it.
inline const QString kAppFolder = QStringLiteral("C:\\Conv");

// Where a control sits in its window's design, in twips, and the client size that design was drawn for;
// a window scaled to the screen keeps the proportions.
struct DesignedControl {
    int left, top, width, height;
    int clientWidth, clientHeight;
};
inline constexpr DesignedControl kExitButton{240, 3240, 975, 375, 11460, 3810};
inline constexpr DesignedControl kOKButton{4680, 120, 1215, 375, 6030, 3900};

// The real program, started as a user starts it: from its application folder, with a drive map of its own
// and on an X screen of its own. The scenario drives it through the keyboard and the mouse and judges it
// only by what it leaves on disk and the programs it starts. However the scenario ends, every process it
// started is stopped and none is left behind.
class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Famlore.ini in the application folder, as lines each ended by CR LF.
    static QByteArray settingsText(const QStringList& lines);
    void writeSettings(const QStringList& lines);
    QString settingsFile() const;
    QByteArray readSettings() const;

    // Puts a stand-in converter into the application folder; its host path.
    QString installConverter(const QString& name);
    // What the stand-in received, once it has run.
    fambridge::testing::ConverterRecord converterRecord(const QString& hostProgram);

    // Starts the program from the application folder and waits for its main window.
    void startProgram();
    bool programRunning() const;
    // Waits for the program to end by itself, and expects it to end well.
    void expectProgramEnds();

    // With the export Browse... focused: presses it, types the name into the save dialog's file name field,
    // confirms it, and goes on to press Export.
    void exportTo(const QString& typedName);

    // A left click in the middle of a control of a window on the screen.
    void clickControl(WindowId window, const DesignedControl& control);

private:
    QProcessEnvironment programEnvironment() const;
    QString logFile(const QString& name) const;

    // Declared before the processes, so that they are stopped before the folders they use are removed.
    QTemporaryDir m_home;
    QString m_appHost;

protected:
    fambridge::testing::TempDrives drives;
    ScenarioTime time;
    ChildProcesses children;
    VirtualScreen screen{children, time};
    WindowId mainWindow = 0;

private:
    QProcess* m_program = nullptr;
};

} // namespace fambridge::e2e
