#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace fambridge {

// Option flags of the common file dialog, with Windows' values.
enum class DialogFlag {
    OverwritePrompt = 0x2,
    HideReadOnly = 0x4,
    FileMustExist = 0x1000,
    NoReadOnlyReturn = 0x8000,
};
Q_DECLARE_FLAGS(DialogFlags, DialogFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(DialogFlags)

// What one showing of the file dialog asks for.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString folder;   // DOS folder to open in; empty for the current folder
    QString fileName; // name to preset in the dialog; empty for none
    QStringList nameFilters;
    QString defaultSuffix;
    DialogFlags flags;
};

// Shows the file dialog. Tests replace it, so that no test waits on a modal window.
class FileDialogRunner {
public:
    virtual ~FileDialogRunner() = default;
    // The DOS path the user chose, or nothing when the dialog was cancelled.
    virtual std::optional<QString> run(const FileDialogRequest& request, QWidget* owner) = 0;
};

} // namespace fambridge
