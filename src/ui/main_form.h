#pragma once

#include "layout/window_sizing.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "state/app_state.h"
#include "state/window_controls.h"
#include "ui/common_dialog.h"
#include "ui/control_array.h"
#include "ui/form_layout.h"
#include "ui/widget_control.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

namespace fambridge {

class DeferredBackupDialog;

// The program's main window: which GED file is imported, which one is exported to, from which Palm
// database, and which Palm user folder is in use. Its handlers read controls, call logic, write controls.
class MainForm : public QWidget, public MainFormControls {
    Q_OBJECT

public:
    // The window loads, and fits itself to the screen, as it is made. A test may name the screen.
    MainForm(AppState& state, platform::FileSystem& fileSystem, platform::ProgramStarter& starter,
             FileDialogRunner& fileDialogs, std::optional<ScreenMetrics> screen = std::nullopt,
             QWidget* parent = nullptr);

    // The user folder dialog that BrowseS opens; it lives as long as the window.
    void setBackupDialog(DeferredBackupDialog* dialog) { m_backupDialog = dialog; }

    void setImportEnabled(bool enabled) override;
    void setExportEnabled(bool enabled) override;
    void setBrowseIEnabled(bool enabled) override;
    void setBrowseEEnabled(bool enabled) override;
    void setFromFilename(const QString& text) override;
    void setToFilename(const QString& text) override;
    void setUserFolderLabel(const QString& text) override;
    void clearDBList() override;
    void addDBListItem(const QString& name) override;
    void setDBListText(const QString& name) override;

    // The sizing handlers' own variables, for tests.
    const WindowSizing& sizing() const { return m_sizing; }

    ControlArray<QPushButton> Import;
    ControlArray<QPushButton> Export;
    ControlArray<QPushButton> BrowseI;
    ControlArray<QPushButton> BrowseE;
    ControlArray<QPushButton> BrowseS;
    ControlArray<QPushButton> Exit;
    ControlArray<QLabel> FromGED;
    ControlArray<QLabel> FromFilename;
    ControlArray<QLabel> FromDB;
    ControlArray<QLabel> ToGED;
    ControlArray<QLabel> ToFilename;
    ControlArray<QLabel> Backup;
    QComboBox* DBList = nullptr;
    QLabel* Version = nullptr;
    LineControl Line1{[this] { update(); }};
    LineControl Line2{[this] { update(); }};
    LineControl Line3{[this] { update(); }};
    CommonDialog SelectDialog;

signals:
    // Exit wrote the settings (or told the user why it could not) and the program should end.
    void exitRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One control as the design lays it out; the table of them, kDesign, is in the window's control order,
    // which the scaler follows.
    struct ControlDesign;
    static const ControlDesign kDesign[];

    void createControls();
    void create(ControlArray<QPushButton> MainForm::*array, const ControlDesign& design);
    void create(ControlArray<QLabel> MainForm::*array, const ControlDesign& design);
    void create(QComboBox* MainForm::*list, const ControlDesign& design);
    void create(QLabel* MainForm::*label, const ControlDesign& design);
    void create(LineControl MainForm::*line, const ControlDesign& design);
    void create(ScaledControl MainForm::*control, const ControlDesign& design);
    void place(QWidget* widget, const ControlDesign& design, bool comboBox = false);
    void nameControls();
    void nameControlsApart();
    void connectControls();
    void moveToDesignScreen();
    void setValueLabel(QLabel* label, const QString& text);

    void Form_Load(const ScreenMetrics& screen);
    void Form_Resize();

    // Shows the file dialog preset with the current choice; the file chosen, or nothing on a cancel.
    std::optional<QString> chooseGedFile(const QString& current, const QString& title, const QString& initDir,
                                         DialogFlags flags, void (CommonDialog::*show)());

    void BrowseI_Click(qint16 index);
    void BrowseE_Click(qint16 index);
    void DBList_Click();
    void Import_Click(qint16 index);
    void Export_Click(qint16 index);
    void Exit_Click(qint16 index);
    void BrowseS_Click(qint16 index);

    AppState& m_state;
    platform::FileSystem& m_fileSystem;
    platform::ProgramStarter& m_starter;
    DeferredBackupDialog* m_backupDialog = nullptr;
    double m_twipsPerPixel;
    // The window in twips, with its controls in the window's fixed order, as the scaler walks them.
    FormLayout m_layout;
    // The file dialog is a control of the window too, with nothing the scaler can change.
    ScaledControl m_selectDialogControl;
    WindowSizing m_sizing;
};

} // namespace fambridge
