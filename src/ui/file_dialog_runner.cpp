#include "ui/file_dialog_runner.h"

#include "ui/messages.h"
#include "ui/typed_file_name.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QUrl>

namespace fambridge {

namespace {

// Names each drive in the dialog's sidebar by its letter, as Windows does, rather than by the host folder
// behind it. The name is given at painting, since the sidebar renames its entries from the folders behind
// them whenever one of those changes.
class DriveLetterDelegate : public QStyledItemDelegate {
public:
    DriveLetterDelegate(QHash<QString, QString> names, QObject* parent)
        : QStyledItemDelegate(parent), m_names(std::move(names)) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto name = m_names.constFind(index.data(kUrlRole).toUrl().toLocalFile());
        if (name != m_names.constEnd())
            option->text = *name;
        // Greyed when the folder is missing, as Qt's own sidebar shows it.
        if (const QVariant enabled = index.data(kEnabledRole); enabled.isValid() && !enabled.toBool())
            option->state &= ~QStyle::State_Enabled;
    }

private:
    // Where Qt's sidebar keeps an entry's address and whether its folder is there.
    static constexpr int kUrlRole = Qt::UserRole + 1;
    static constexpr int kEnabledRole = Qt::UserRole + 2;

    QHash<QString, QString> m_names;
};

// Reads what the user typed as Windows does and checks it by Windows' rules, through the program's own
// look-up: the file found without regard to letter case must exist to be opened, is asked about before it
// is replaced, and is refused when read-only or in a folder that cannot be written (NoReadOnlyReturn).
class GedFileDialog : public QFileDialog {
public:
    GedFileDialog(platform::FileSystem& fileSystem, const FileDialogRequest& request, QWidget* owner)
        : QFileDialog(owner), m_fileSystem(fileSystem), m_request(request),
          m_nameFilters(request.nameFilters) {}

    // The host path of the file chosen, spelled as on disk as far as it exists.
    const std::optional<QString>& chosen() const { return m_chosen; }

    void accept() override {
        if (folderPicked()) {
            QFileDialog::accept(); // enters the folder
            return;
        }
        auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit || edit->text().isEmpty())
            return;
        const TypedFileChoice choice =
            TypedFileName::read(m_fileSystem, m_request, directory().absolutePath(), edit->text());
        switch (choice.action) {
        case TypedFileChoice::Action::Take:
            take(choice.hostPath);
            break;
        case TypedFileChoice::Action::AskToReplace:
            if (MessageBox::question(this, choice.text) == MessageBox::Yes)
                take(choice.hostPath);
            break;
        case TypedFileChoice::Action::Refuse:
            MessageBox::warning(this, choice.text);
            break;
        case TypedFileChoice::Action::ShowFolder:
            setDirectory(choice.hostPath);
            edit->clear();
            break;
        case TypedFileChoice::Action::FilterFolder:
            setDirectory(choice.hostPath);
            if (!m_nameFilters.contains(choice.text)) {
                m_nameFilters.append(choice.text);
                setNameFilters(m_nameFilters);
            }
            selectNameFilter(choice.text);
            break;
        }
    }

private:
    // A folder picked in the list, which Open enters rather than returns.
    bool folderPicked() const {
        const auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
        if (!list || !list->selectionModel() || !list->selectionModel()->hasSelection())
            return false;
        const QStringList picked = selectedFiles();
        return !picked.isEmpty() && QFileInfo(picked.front()).isDir();
    }

    void take(const QString& hostPath) {
        m_chosen = hostPath;
        QDialog::accept();
    }

    platform::FileSystem& m_fileSystem;
    const FileDialogRequest m_request;
    QStringList m_nameFilters;
    std::optional<QString> m_chosen;
};

} // namespace

std::optional<QString> QtFileDialogRunner::run(const FileDialogRequest& request, QWidget* owner) {
    GedFileDialog dialog(m_fileSystem, request, owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(request.title);
    dialog.setNameFilters(request.nameFilters);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name may be typed, and the default extension is not Qt's to add: the dialog checks the name by
    // Windows' rules, where Qt would look for it only as spelled. Qt's own checks never run, since its
    // accept() is left only to enter a folder.
    dialog.setFileMode(QFileDialog::AnyFile);

    // The drives are where the user's files are, as far as the converters can see.
    QList<QUrl> drives;
    QHash<QString, QString> driveNames;
    for (const QChar letter : m_fileSystem.driveMap().drives()) {
        if (const auto root = m_fileSystem.driveMap().hostRoot(letter)) {
            drives.append(QUrl::fromLocalFile(*root));
            driveNames.insert(drives.back().toLocalFile(), QString(letter) + QLatin1Char(':'));
        }
    }
    dialog.setSidebarUrls(drives);
    if (auto* sidebar = dialog.findChild<QAbstractItemView*>(QStringLiteral("sidebar")))
        sidebar->setItemDelegate(new DriveLetterDelegate(std::move(driveNames), sidebar));
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

} // namespace fambridge
