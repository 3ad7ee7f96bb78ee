#pragma once

#include "platform/dos_path.h"
#include "platform/file_system.h"
#include "state/app_state.h"
#include "state/window_controls.h"

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPointer>

#include <optional>

class QPushButton;

namespace fambridge {

// A classic folder list: the open folder's ancestors from the drive root down, then its subfolders.
// Double-click or Enter opens a folder.
class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(platform::FileSystem& fileSystem, QWidget* parent = nullptr);

    // The open folder; a drive root reads with its backslash, "C:\".
    QString Path() const;
    // Opens a folder, or a drive's current folder when given a bare drive ("C:"). On failure the list
    // stays as it was.
    Status setPath(const QString& path);

signals:
    // A folder the user opened could not be read.
    void openFailed(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Lists the open folder's drive root and its ancestors down to the folder itself, each indented one step
    // further; returns the indent of the folder's subfolders.
    QString addOpenFolders();
    void addFolder(const QString& text, const platform::DosPath& path, bool open);
    void open(QListWidgetItem* item);
    // The icons come from the icon theme, whose first look-up costs more start-up time than all else the
    // hidden dialog does; a list that nobody sees yet goes without them until it is shown.
    void showIcons();

    platform::FileSystem& m_fileSystem;
    platform::DosPath m_path;
};

// The drives of the drive map. Drive() reads the current drive as Windows reports it, "c:".
class DriveList : public QComboBox {
    Q_OBJECT

public:
    explicit DriveList(platform::FileSystem& fileSystem, QWidget* parent = nullptr);

    QString Drive() const;
    // Selects the drive a text begins with; a change signals driveChanged, as a user's pick does.
    void setDrive(const QString& drive);
    // Shows another drive without signalling a change.
    void showDrive(QChar letter);

signals:
    void driveChanged();
};

// The dialog in which the user picks another Palm user folder by drive and folder. It lives hidden from
// start-up to the end of the program, so that it keeps the drive and folder last shown.
class BackupDialog : public QDialog, public BackupDialogControls {
    Q_OBJECT

public:
    BackupDialog(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
                 QWidget* parent = nullptr);

    void setDrive(const QString& drive) override;
    void setPath(const QString& path) override;

    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    FolderList* BackupDir = nullptr;
    DriveList* BackupDrive = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // One control as the design lays it out; the table of them is kDesign.
    struct ControlDesign;
    static const ControlDesign kDesign[];

    void createControls();
    QWidget* create(QPushButton* BackupDialog::*button, const ControlDesign& design);
    QWidget* create(FolderList* BackupDialog::*list, const ControlDesign& design);
    QWidget* create(DriveList* BackupDialog::*list, const ControlDesign& design);
    void nameControls();
    void connectControls();

    void BackupDrive_Change();
    void OKButton_Click();
    void CancelButton_Click();

    AppState& m_state;
    platform::FileSystem& m_fileSystem;
    MainFormControls& m_mainForm;
};

// The user folder dialog as start-up and the main window see it. Start-up only tells the dialog which
// drive and folder to show; the dialog itself is built when it is first needed and then given them, the
// drive first, since a change of drive opens that drive's current folder. Its folder list, the reading of
// that folder and the item view code cost start-up time and memory that a user who never changes the user
// folder would pay for nothing, and a drive that cannot be read is reported when the user opens the dialog,
// not before the main window shows.
class DeferredBackupDialog : public BackupDialogControls {
public:
    // The dialog is a child window of window, which owns it and over which it opens.
    DeferredBackupDialog(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
                         QWidget& window);

    void setDrive(const QString& drive) override;
    void setPath(const QString& path) override;

    // Builds the dialog on the first call.
    BackupDialog& dialog();

private:
    AppState& m_state;
    platform::FileSystem& m_fileSystem;
    MainFormControls& m_mainForm;
    QWidget& m_window;
    std::optional<QString> m_drive;
    std::optional<QString> m_path;
    // Owned by the window; gone with it, should the window go first.
    QPointer<BackupDialog> m_dialog;
};

} // namespace fambridge
