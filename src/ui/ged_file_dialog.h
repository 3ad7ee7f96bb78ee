#pragma once

#include "platform/dos_path.h"
#include "platform/file_system.h"
#include "ui/file_dialog_runner.h"

#include <QDialog>
#include <QStringList>

#include <optional>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

namespace fambridge {

// The open and save dialog for GED files as Windows' common dialog shows it: the drives of the drive map
// and the folders on them, in DOS paths, and nothing of the host beyond them. What the user types is read
// by Windows' rules (TypedFileName); a refusal or a question comes while the dialog stays open.
class GedFileDialog : public QDialog {
    Q_OBJECT

public:
    GedFileDialog(platform::FileSystem& fileSystem, const FileDialogRequest& request,
                  QWidget* owner = nullptr);

    // The folder shown, a drive root with its backslash: "D:\".
    QString folder() const { return m_folder.toString(); }
    // The DOS path of the file chosen, once the dialog was accepted.
    const std::optional<QString>& chosen() const { return m_chosen; }

    QComboBox* lookIn() const { return m_lookIn; }
    QToolButton* upButton() const { return m_up; }
    QListWidget* files() const { return m_files; }
    QLineEdit* fileName() const { return m_fileName; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createLookIn(QGridLayout& grid);
    void createFileList(QGridLayout& grid);
    void createFileName(QGridLayout& grid);
    void createFileTypes(QGridLayout& grid);
    void createButtons(QGridLayout& grid);
    void connectControls();
    void openFirstFolder();

    // Shows a folder's subfolders and the files the current patterns match; on failure nothing changes.
    Status showFolder(const platform::DosPath& folder);
    // As the user opens a folder: one that cannot be read is named in a message.
    void openFolder(const QString& dosFolder);
    void fillLookIn();
    void picked(QListWidgetItem* item);
    void acceptPressed();
    void readTypedName();
    void take(const QString& dosPath);

    platform::FileSystem& m_fileSystem;
    const FileDialogRequest m_request;
    platform::DosPath m_folder;
    // The patterns of the type of file chosen, or the one the user typed last.
    QStringList m_patterns;
    std::optional<QString> m_chosen;

    QComboBox* m_lookIn = nullptr;
    QToolButton* m_up = nullptr;
    QListWidget* m_files = nullptr;
    QLineEdit* m_fileName = nullptr;
    QComboBox* m_fileTypes = nullptr;
    QPushButton* m_accept = nullptr;
    QPushButton* m_cancel = nullptr;
};

class GedFileDialogRunner : public FileDialogRunner {
public:
    explicit GedFileDialogRunner(platform::FileSystem& fileSystem) : m_fileSystem(fileSystem) {}
    std::optional<QString> run(const FileDialogRequest& request, QWidget* owner) override;

private:
    platform::FileSystem& m_fileSystem;
};

} // namespace fambridge
