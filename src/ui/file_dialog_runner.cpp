#include "ui/file_dialog_runner.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace fambridge {

namespace {

// Refuses, as Windows does under NoReadOnlyReturn, a read-only file or a file in a folder that cannot be
// written, and lets the user choose again.
class GedFileDialog : public QFileDialog {
public:
    GedFileDialog(platform::FileSystem& fileSystem, QWidget* owner, bool refuseReadOnly)
        : QFileDialog(owner), m_fileSystem(fileSystem), m_refuseReadOnly(refuseReadOnly) {}

    void accept() override {
        if (m_refuseReadOnly) {
            const QStringList chosen = selectedFiles();
            if (!chosen.isEmpty() && !writable(chosen.front()))
                return;
        }
        QFileDialog::accept();
    }

private:
    bool writable(const QString& hostPath) {
        const auto dosPath = m_fileSystem.toDos(hostPath);
        if (!dosPath)
            return true; // refused after the dialog closes, with its own message
        const auto attributes = m_fileSystem.attributes(*dosPath);
        QString problem;
        if (attributes && attributes->testFlag(platform::Attribute::ReadOnly))
            problem = QCoreApplication::translate("GedFileDialog", "This file is set to read-only.");
        else if (!attributes) {
            const auto folder = m_fileSystem.toDos(QFileInfo(hostPath).path());
            if (!folder || !m_fileSystem.isWritableFolder(*folder))
                problem = QCoreApplication::translate("GedFileDialog", "This folder cannot be written to.");
        }
        if (problem.isEmpty())
            return true;
        QMessageBox::warning(
            this, windowTitle(),
            QCoreApplication::translate("GedFileDialog", "%1\n%2\nTry again with a different file name.")
                .arg(QFileInfo(hostPath).fileName(), problem));
        return false;
    }

    platform::FileSystem& m_fileSystem;
    bool m_refuseReadOnly;
};

} // namespace

std::optional<QString> QtFileDialogRunner::run(const FileDialogRequest& request, QWidget* owner) {
    GedFileDialog dialog(m_fileSystem, owner, request.flags.testFlag(DialogFlag::NoReadOnlyReturn));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(request.title);
    dialog.setNameFilters(request.nameFilters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite,
                         !request.flags.testFlag(DialogFlag::OverwritePrompt));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.flags.testFlag(DialogFlag::FileMustExist) ? QFileDialog::ExistingFile
                                                                             : QFileDialog::AnyFile);
    }
    // The drives are where the user's files are, as far as the converters can see.
    QList<QUrl> drives;
    for (const QChar letter : m_fileSystem.driveMap().drives()) {
        if (const auto root = m_fileSystem.driveMap().hostRoot(letter))
            drives.append(QUrl::fromLocalFile(*root));
    }
    dialog.setSidebarUrls(drives);
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

} // namespace fambridge
