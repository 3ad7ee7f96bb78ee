#include "ui/ged_file_dialog.h"

#include "platform/dos_path.h"
#include "platform/wildcard.h"
#include "ui/design.h"
#include "ui/drop_down_list.h"
#include "ui/messages.h"
#include "ui/typed_file_name.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace fambridge {

namespace {

constexpr int kIsFolderRole = Qt::UserRole;

// The patterns of a name filter such as "GED Files (*.ged)"; a filter without any stands for every file.
QStringList patternsOf(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = nameFilter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return {QStringLiteral("*")};
    return nameFilter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool isFolderItem(const QListWidgetItem* item) {
    return item && item->data(kIsFolderRole).toBool();
}

} // namespace

GedFileDialog::GedFileDialog(platform::FileSystem& fileSystem, const FileDialogRequest& request,
                             QWidget* owner)
    : QDialog(owner, Qt::Dialog | kFixedFrame), m_fileSystem(fileSystem), m_request(request) {
    setWindowTitle(request.title);
    setFont(designFont());
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    // Made in the order Tab moves through them, which is the order Qt's focus chain follows.
    createLookIn(*grid);
    createFileList(*grid);
    createFileName(*grid);
    createFileTypes(*grid);
    createButtons(*grid);
    connectControls();
    m_fileName->setFocus();
    m_fileName->selectAll();
    openFirstFolder();
}

void GedFileDialog::createLookIn(QGridLayout& grid) {
    auto* label = new QLabel(m_request.save ? tr("Save &in:") : tr("Look &in:"), this);
    m_lookIn = new DropDownList(this);
    m_lookIn->setAccessibleName(m_request.save ? tr("Save in") : tr("Look in"));
    label->setBuddy(m_lookIn);
    m_up = new QToolButton(this);
    m_up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    m_up->setToolTip(tr("Up One Level"));
    m_up->setAccessibleName(tr("Up One Level"));
    grid.addWidget(label, 0, 0);
    grid.addWidget(m_lookIn, 0, 1);
    grid.addWidget(m_up, 0, 2, Qt::AlignLeft);
}

void GedFileDialog::createFileList(QGridLayout& grid) {
    m_files = new QListWidget(this);
    m_files->setAccessibleName(tr("Folders and files"));
    // Windows' list view: names in columns, read down and then across.
    m_files->setFlow(QListView::TopToBottom);
    m_files->setWrapping(true);
    m_files->setResizeMode(QListView::Adjust);
    m_files->setMinimumSize(400, 150);
    m_files->installEventFilter(this);
    grid.addWidget(m_files, 1, 0, 1, 3);
}

void GedFileDialog::createFileName(QGridLayout& grid) {
    auto* label = new QLabel(tr("File &name:"), this);
    m_fileName = new QLineEdit(m_request.fileName, this);
    m_fileName->setAccessibleName(tr("File name"));
    label->setBuddy(m_fileName);
    grid.addWidget(label, 2, 0);
    grid.addWidget(m_fileName, 2, 1);
}

void GedFileDialog::createFileTypes(QGridLayout& grid) {
    auto* label = new QLabel(m_request.save ? tr("Save as &type:") : tr("Files of &type:"), this);
    m_fileTypes = new DropDownList(this);
    m_fileTypes->setAccessibleName(m_request.save ? tr("Save as type") : tr("Files of type"));
    m_fileTypes->addItems(m_request.nameFilters);
    label->setBuddy(m_fileTypes);
    grid.addWidget(label, 3, 0);
    grid.addWidget(m_fileTypes, 3, 1);
    m_patterns = patternsOf(m_fileTypes->currentText());
}

void GedFileDialog::createButtons(QGridLayout& grid) {
    m_accept = new QPushButton(m_request.save ? tr("&Save") : tr("&Open"), this);
    m_accept->setDefault(true);
    m_cancel = new QPushButton(tr("Cancel"), this);
    grid.addWidget(m_accept, 2, 2);
    grid.addWidget(m_cancel, 3, 2);
}

void GedFileDialog::connectControls() {
    connect(m_lookIn, &QComboBox::activated, this,
            [this](int index) { openFolder(m_lookIn->itemData(index).toString()); });
    connect(m_up, &QToolButton::clicked, this, [this] { openFolder(m_folder.parent().toString()); });
    connect(m_files, &QListWidget::itemDoubleClicked, this, &GedFileDialog::picked);
    connect(m_files, &QListWidget::itemSelectionChanged, this, [this] {
        const auto selected = m_files->selectedItems();
        if (selected.size() == 1 && !isFolderItem(selected.front()))
            m_fileName->setText(selected.front()->text());
    });
    connect(m_fileTypes, &QComboBox::currentTextChanged, this, [this](const QString& nameFilter) {
        m_patterns = patternsOf(nameFilter);
        openFolder(m_folder.toString());
    });
    connect(m_accept, &QPushButton::clicked, this, &GedFileDialog::acceptPressed);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void GedFileDialog::openFirstFolder() {
    // The folder asked for, else the current one, else the first drive that can be read.
    QStringList candidates = {m_request.folder};
    if (const auto current = m_fileSystem.currentDirectory())
        candidates.append(*current);
    for (const QChar drive : m_fileSystem.driveMap().drives())
        candidates.append(platform::DosPath{drive, {}}.toString());
    for (const QString& candidate : candidates) {
        const auto folder = m_fileSystem.parse(candidate);
        if (folder && showFolder(*folder))
            break;
    }
}

Status GedFileDialog::showFolder(const platform::DosPath& folder) {
    const auto entries = m_fileSystem.readFolder(folder.toString());
    if (!entries)
        return entries.failure();
    m_folder = folder;
    m_folder.trailingSeparator = false;

    m_files->clear();
    // Folders first, then the files of the type chosen, each in the listing's order, as Windows lists them.
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const platform::FolderEntry& entry : *entries) {
        if (entry.isFolder)
            (new QListWidgetItem(folderIcon, entry.name, m_files))->setData(kIsFolderRole, true);
    }
    for (const platform::FolderEntry& entry : *entries) {
        const auto matches = [&entry](const QString& pattern) {
            return platform::matchesWildcard(pattern, entry.name);
        };
        if (!entry.isFolder && std::any_of(m_patterns.cbegin(), m_patterns.cend(), matches))
            new QListWidgetItem(fileIcon, entry.name, m_files);
    }
    fillLookIn();
    m_up->setEnabled(!m_folder.isRoot());
    return {};
}

void GedFileDialog::fillLookIn() {
    // The drives are the only roots; the open folder and its ancestors hang below its drive.
    m_lookIn->clear();
    const QIcon driveIcon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (const QChar drive : m_fileSystem.driveMap().drives()) {
        platform::DosPath ancestor;
        ancestor.drive = drive;
        m_lookIn->addItem(driveIcon, ancestor.driveSpec(), ancestor.toString());
        if (drive != m_folder.drive)
            continue;
        for (const QString& name : m_folder.components) {
            ancestor = ancestor.child(name);
            m_lookIn->addItem(openIcon, ancestor.toString(), ancestor.toString());
        }
        m_lookIn->setCurrentIndex(m_lookIn->count() - 1);
    }
}

void GedFileDialog::openFolder(const QString& dosFolder) {
    const auto folder = m_fileSystem.parse(dosFolder);
    const Status shown = folder ? showFolder(*folder) : Status(folder.failure());
    if (!shown) {
        fillLookIn();
        MessageBox::warning(this, shown.error());
    }
}

bool GedFileDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_files && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        QListWidgetItem* current = m_files->currentItem();
        // Enter on a file goes on to the default button, which reads the name the selection put in the field.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && isFolderItem(current) &&
            current->isSelected()) {
            picked(current);
            return true;
        }
        if (key == Qt::Key_Backspace && !m_folder.isRoot()) {
            m_up->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void GedFileDialog::picked(QListWidgetItem* item) {
    if (isFolderItem(item)) {
        openFolder(m_folder.child(item->text()).toString());
    } else {
        m_fileName->setText(item->text());
        readTypedName();
    }
}

void GedFileDialog::acceptPressed() {
    // With no name typed, Open enters the folder picked in the list, as Windows' dialog does.
    if (m_fileName->text().isEmpty()) {
        const auto selected = m_files->selectedItems();
        if (selected.size() == 1 && isFolderItem(selected.front()))
            picked(selected.front());
        return;
    }
    readTypedName();
}

void GedFileDialog::readTypedName() {
    const TypedFileChoice choice = TypedFileName::read(m_fileSystem, m_request, m_folder, m_fileName->text());
    switch (choice.action) {
    case TypedFileChoice::Action::Take:
        take(choice.path);
        break;
    case TypedFileChoice::Action::AskToReplace:
        if (MessageBox::question(this, choice.text) == MessageBox::Yes)
            take(choice.path);
        break;
    case TypedFileChoice::Action::Refuse:
        MessageBox::warning(this, choice.text);
        break;
    case TypedFileChoice::Action::ShowFolder:
        openFolder(choice.path);
        m_fileName->clear();
        break;
    case TypedFileChoice::Action::FilterFolder:
        m_patterns = {choice.text};
        openFolder(choice.path);
        break;
    }
}

void GedFileDialog::take(const QString& dosPath) {
    m_chosen = dosPath;
    accept();
}

std::optional<QString> GedFileDialogRunner::run(const FileDialogRequest& request, QWidget* owner) {
    GedFileDialog dialog(m_fileSystem, request, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

} // namespace fambridge
