#pragma once

#include "platform/file_system.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace fambridge {

// Option flags of the common file dialog, with Windows' values.
namespace DialogFlag {
inline constexpr int OverwritePrompt = 0x2;
inline constexpr int HideReadOnly = 0x4;
inline constexpr int FileMustExist = 0x1000;
inline constexpr int NoReadOnlyReturn = 0x8000;
} // namespace DialogFlag

// What one showing of the file dialog asks for, in host terms.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString folder;   // host folder to open in; empty for the current folder
    QString fileName; // name to preset in the dialog; empty for none
    QStringList nameFilters;
    QString defaultSuffix;
    int flags = 0;
};

// Shows the file dialog. Tests replace it, so that no test waits on a modal window.
class FileDialogRunner {
public:
    virtual ~FileDialogRunner() = default;
    // The host path the user chose, or nothing when the dialog was cancelled.
    virtual std::optional<QString> run(const FileDialogRequest& request, QWidget* owner) = 0;
};

// Qt's own widget-based file dialog, the same on every platform, so that the flags behave alike.
class QtFileDialogRunner : public FileDialogRunner {
public:
    explicit QtFileDialogRunner(platform::FileSystem& fileSystem) : m_fileSystem(fileSystem) {}
    std::optional<QString> run(const FileDialogRequest& request, QWidget* owner) override;

private:
    platform::FileSystem& m_fileSystem;
};

// The main window's common open/save dialog for GED files. It speaks DOS paths to its callers and shows
// host folders to the user, converting through the drive map both ways.
class CommonDialog {
public:
    CommonDialog(platform::FileSystem& fileSystem, QWidget* owner);

    QString FileName;
    QString DialogTitle = QStringLiteral("Select GED File to Import");
    QString InitDir = QStringLiteral("C:\\PALM");
    int Flags = 0;
    const QString Filter = QStringLiteral("GED Files (*.ged)|*.ged|All Files|*.*");
    const QString DefaultExt = QStringLiteral("GED");

    // After either, FileName holds the chosen file; a cancel leaves it as it was.
    void ShowOpen();
    void ShowSave();

    void setRunner(std::unique_ptr<FileDialogRunner> runner) { m_runner = std::move(runner); }
    void setWarningHandler(std::function<void(const QString&)> warn) { m_warn = std::move(warn); }

    // "A|a|B|b" as the name filters Qt shows: "A (a)", "B (b)"; "*.*" means every file.
    static QStringList qtNameFilters(const QString& filter);

private:
    void show(bool save);

    platform::FileSystem& m_fileSystem;
    QWidget* m_owner;
    std::unique_ptr<FileDialogRunner> m_runner;
    std::function<void(const QString&)> m_warn;
};

} // namespace fambridge
