#include "ui/select_dialog.h"

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
            problem = QStringLiteral("This file is set to read-only.");
        else if (!attributes) {
            const auto folder = m_fileSystem.toDos(QFileInfo(hostPath).path());
            if (!folder || !m_fileSystem.isWritableFolder(*folder))
                problem = QStringLiteral("This folder cannot be written to.");
        }
        if (problem.isEmpty())
            return true;
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("%1\n%2\nTry again with a different file name.")
                                 .arg(QFileInfo(hostPath).fileName(), problem));
        return false;
    }

    platform::FileSystem& m_fileSystem;
    bool m_refuseReadOnly;
};

} // namespace

std::optional<QString> QtFileDialogRunner::run(const FileDialogRequest& request, QWidget* owner) {
    GedFileDialog dialog(m_fileSystem, owner, (request.flags & DialogFlag::NoReadOnlyReturn) != 0);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(request.title);
    dialog.setNameFilters(request.nameFilters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite,
                         (request.flags & DialogFlag::OverwritePrompt) == 0);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode((request.flags & DialogFlag::FileMustExist) ? QFileDialog::ExistingFile
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

CommonDialog::CommonDialog(platform::FileSystem& fileSystem, QWidget* owner)
    : m_fileSystem(fileSystem), m_owner(owner), m_runner(std::make_unique<QtFileDialogRunner>(fileSystem)),
      m_warn([owner](const QString& text) { QMessageBox::warning(owner, owner->windowTitle(), text); }) {}

QStringList CommonDialog::qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        const QString& description = parts[i];
        filters.append(description.endsWith(QLatin1Char(')'))
                           ? description
                           : description + QStringLiteral(" (%1)").arg(patterns));
    }
    return filters;
}

void CommonDialog::ShowOpen() {
    show(false);
}
void CommonDialog::ShowSave() {
    show(true);
}

void CommonDialog::show(bool save) {
    FileDialogRequest request;
    request.save = save;
    request.title = DialogTitle;
    request.nameFilters = qtNameFilters(Filter);
    request.defaultSuffix = DefaultExt;
    request.flags = Flags;

    // A preset full path opens its own folder, as on Windows; otherwise the initial folder, when it is there.
    const auto isFolder = [this](const QString& dosPath) {
        const auto attributes = m_fileSystem.attributes(dosPath);
        return attributes && attributes->testFlag(platform::Attribute::Directory);
    };
    QString folder = InitDir;
    if (!FileName.isEmpty()) {
        if (const auto preset = m_fileSystem.parse(FileName); preset && !preset->isRoot()) {
            request.fileName = preset->components.back();
            if (isFolder(preset->parent().toString()))
                folder = preset->parent().toString();
        }
    }
    if (!folder.isEmpty() && isFolder(folder)) {
        if (const auto host = m_fileSystem.toHost(folder))
            request.folder = *host;
    }

    const auto chosen = m_runner->run(request, m_owner);
    if (!chosen)
        return;
    const auto dosPath = m_fileSystem.toDos(*chosen);
    if (!dosPath) {
        m_warn(QStringLiteral("%1 cannot be used, because FamBridge and the converters reach files only "
                              "through drive letters.\n\n%2")
                   .arg(*chosen, dosPath.error()));
        return;
    }
    FileName = *dosPath;
}

} // namespace fambridge
