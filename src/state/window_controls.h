#pragma once

#include <QString>

namespace fambridge {

// What the program's logic writes into the main window. The Qt window implements it; logic tests answer
// it with a plain recording object, so that no logic test needs a display.
class MainFormControls {
public:
    virtual ~MainFormControls() = default;

    virtual void setImportEnabled(bool enabled) = 0;  // Import(0)
    virtual void setExportEnabled(bool enabled) = 0;  // Export(1)
    virtual void setBrowseIEnabled(bool enabled) = 0; // BrowseI(1)
    virtual void setBrowseEEnabled(bool enabled) = 0; // BrowseE(0)

    virtual void setFromFilename(const QString& text) = 0;    // FromFilename(1)
    virtual void setToFilename(const QString& text) = 0;      // ToFilename(0)
    virtual void setUserFolderLabel(const QString& text) = 0; // Backup(2)

    virtual void clearDBList() = 0;
    virtual void addDBListItem(const QString& name) = 0;
    // Selects the entry with exactly this text, as setting a drop-down list's text does.
    virtual void setDBListText(const QString& name) = 0;
};

// What start-up writes into the user folder dialog.
class BackupDialogControls {
public:
    virtual ~BackupDialogControls() = default;

    // BackupDrive.Drive; a change of drive runs the dialog's drive change handling.
    virtual void setDrive(const QString& drive) = 0;
    // BackupDir.Path
    virtual void setPath(const QString& path) = 0;
};

} // namespace fambridge
