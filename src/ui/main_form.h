#pragma once

#include "layout/control_model.h"
#include "layout/window_sizing.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "startup/app_state.h"
#include "startup/form_controls.h"
#include "ui/control_array.h"
#include "ui/select_dialog.h"
#include "ui/widget_control.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace fambridge {

class DeferredBackupDialog;

// The program's main window: which GED file is imported, which one is exported to, from which Palm
// database, and which Palm user folder is in use. Its handlers read controls, call logic, write controls.
class MainForm : public QWidget, public MainFormControls, public MainFormLayout {
    Q_OBJECT

public:
    // The window loads, and fits itself to the screen, as it is made. A test may name the screen.
    MainForm(AppState& state, platform::FileSystem& fileSystem,
             std::optional<ScreenMetrics> screen = std::nullopt, QWidget* parent = nullptr);

    // The user folder dialog that BrowseS opens; it lives as long as the window.
    void setBackupDialog(DeferredBackupDialog* dialog) { m_backupDialog = dialog; }
    // Where warnings go; tests read them instead of a modal message box.
    void setWarningHandler(std::function<void(const QString&)> warn);

    void setImportEnabled(bool enabled) override;
    void setExportEnabled(bool enabled) override;
    void setBrowseIEnabled(bool enabled) override;
    void setBrowseEEnabled(bool enabled) override;
    void setFromFilename(const QString& text) override;
    void setToFilename(const QString& text) override;
    void setBackupFolder(const QString& text) override;
    void clearDBList() override;
    void addDBListItem(const QString& name) override;
    void setDBListText(const QString& name) override;

    int controlCount() const override { return int(m_controls.size()); }
    ScaledControl& control(int index) override { return *m_controls.at(std::size_t(index)); }
    std::optional<float> Left() const override;
    std::optional<float> Top() const override;
    std::optional<float> Width() const override;
    std::optional<float> Height() const override;
    bool Move(float left, float top, float width, float height) override;
    ScaledControl* button(ButtonArray array, int index) override;
    ScaledControl* line(SeparatorLine line) override;

    // The screen the window is on, as the sizing handlers need it.
    ScreenMetrics screenMetrics() const;
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
    LineControl Line1;
    LineControl Line2;
    LineControl Line3;
    CommonDialog SelectDialog;

signals:
    // Exit wrote the settings (or told the user why it could not) and the program should end.
    void exitRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* addButton(ControlArray<QPushButton>& array, int index, const QString& caption, float left,
                           float top, float width, float height);
    QLabel* addLabel(ControlArray<QLabel>& array, int index, const QString& caption, float left, float top,
                     float width, float height);
    WidgetControl* addControl(QWidget* widget, float left, float top, float width, float height,
                              bool comboBox = false);
    void setValueLabel(QLabel* label, const QString& text);
    QMargins frameMargins() const;

    void Form_Load(const ScreenMetrics& screen);
    void Form_Resize();

    void BrowseI_Click(qint16 index);
    void BrowseE_Click(qint16 index);
    void DBList_Click();
    void Import_Click(qint16 index);
    void Export_Click(qint16 index);
    void Exit_Click(qint16 index);
    void BrowseS_Click(qint16 index);
    void startConverter(const QString& name, const QStringList& arguments);

    AppState& m_state;
    platform::FileSystem& m_fileSystem;
    platform::ProgramLauncher m_launcher;
    DeferredBackupDialog* m_backupDialog = nullptr;
    std::function<void(const QString&)> m_warn;
    double m_twipsPerPixel = 15.0;

    // The controls in the window's fixed order, as the scaler walks them.
    std::vector<ScaledControl*> m_controls;
    std::vector<std::unique_ptr<WidgetControl>> m_widgetControls;
    ScaledControl m_selectDialogControl;
    WindowSizing m_sizing;
    // The outer frame in twips as last moved, and the client size in pixels that move gave, to tell
    // the window's own size from one that something else has changed since.
    float m_frame[4] = {0, 0, 0, 0};
    QSize m_movedClientSize;
};

} // namespace fambridge
