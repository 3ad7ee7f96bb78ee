#include "ui/backup_dialog.h"

#include "commands/choices.h"
#include "ui/accessibility.h"
#include "ui/design.h"
#include "ui/messages.h"
#include "ui/twips.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>

#include <variant>

namespace fambridge {

namespace {
constexpr int kDesignClientWidth = 6030;
constexpr int kDesignClientHeight = 3900;
constexpr int kPathRole = Qt::UserRole;
// Whether an entry is the open folder or one of its ancestors, which show an open folder icon.
constexpr int kOpenRole = Qt::UserRole + 1;
} // namespace

FolderList::FolderList(platform::FileSystem& fileSystem, QWidget* parent)
    : QListWidget(parent), m_fileSystem(fileSystem) {
    m_path.drive = QLatin1Char('C');
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderList::open);
}

QString FolderList::Path() const {
    return m_path.toString();
}

Status FolderList::setPath(const QString& path) {
    auto parsed = m_fileSystem.parse(path);
    if (!parsed)
        return parsed.failure();
    platform::DosPath target = *parsed;
    target.trailingSeparator = false;
    const auto entries = m_fileSystem.readFolder(target.toString());
    if (!entries)
        return entries.failure();

    m_path = target;
    clear();
    const QString indent = addOpenFolders();
    QListWidgetItem* openItem = item(count() - 1);
    for (const platform::FolderEntry& entry : *entries) {
        if (entry.isFolder)
            addFolder(indent + entry.name, target.child(entry.name), false);
    }
    setCurrentItem(openItem);
    if (isVisible())
        showIcons();
    return {};
}

QString FolderList::addOpenFolders() {
    const QString indentStep = QStringLiteral("   ");
    platform::DosPath ancestor = m_path;
    ancestor.components.clear();
    addFolder(ancestor.toString(), ancestor, true);
    QString indent;
    for (const QString& component : m_path.components) {
        indent += indentStep;
        ancestor = ancestor.child(component);
        addFolder(indent + component, ancestor, true);
    }
    return indent + indentStep;
}

void FolderList::addFolder(const QString& text, const platform::DosPath& path, bool open) {
    auto* item = new QListWidgetItem(text, this);
    item->setData(kPathRole, path.toString());
    if (open)
        item->setData(kOpenRole, true);
}

void FolderList::showEvent(QShowEvent* event) {
    showIcons();
    QListWidget::showEvent(event);
}

void FolderList::showIcons() {
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (int i = 0; i < count(); ++i)
        item(i)->setIcon(item(i)->data(kOpenRole).toBool() ? openIcon : closedIcon);
}

void FolderList::open(QListWidgetItem* item) {
    if (!item)
        return;
    const Status opened = setPath(item->data(kPathRole).toString());
    if (!opened)
        emit openFailed(opened.error());
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    // Enter opens the current folder here; it must not also reach the dialog's default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

DriveList::DriveList(platform::FileSystem& fileSystem, QWidget* parent) : QComboBox(parent) {
    for (const QChar letter : fileSystem.driveMap().drives()) {
        const QString drive = QString(letter.toLower()) + QLatin1Char(':');
        const QString label = fileSystem.volumeLabel(letter);
        addItem(label.isEmpty() ? drive : QStringLiteral("%1 [%2]").arg(drive, label), QString(letter));
    }
    setCurrentIndex(-1);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit driveChanged(); });
}

QString DriveList::Drive() const {
    const QString letter = currentData().toString();
    return letter.isEmpty() ? QString() : letter.toLower() + QLatin1Char(':');
}

void DriveList::setDrive(const QString& drive) {
    if (drive.isEmpty())
        return;
    const int index = findData(QString(drive.front().toUpper()));
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveList::showDrive(QChar letter) {
    const QSignalBlocker blocker(this);
    setCurrentIndex(findData(QString(letter.toUpper())));
}

struct BackupDialog::ControlDesign {
    std::variant<QPushButton * BackupDialog::*, FolderList * BackupDialog::*, DriveList * BackupDialog::*>
        control;
    const char* caption;
    // Left, Top, Width and Height in twips.
    float left, top, width, height;
};

constexpr BackupDialog::ControlDesign BackupDialog::kDesign[] = {
    {&BackupDialog::OKButton, "OK", 4680, 120, 1215, 375},
    {&BackupDialog::CancelButton, "Cancel", 4680, 600, 1215, 375},
    {&BackupDialog::BackupDir, "", 120, 180, 4335, 3015},
    {&BackupDialog::BackupDrive, "", 120, 3360, 4335, 315},
};

BackupDialog::BackupDialog(AppState& state, platform::FileSystem& fileSystem, MainFormControls& mainForm,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | kFixedFrame), m_state(state), m_fileSystem(fileSystem),
      m_mainForm(mainForm) {
    setWindowTitle(QStringLiteral("Please select your User Folder"));
    setModal(true);
    setFont(designFont());
    installAccessibleInterfaces();
    createControls();
    nameControls();
    orderTabs({OKButton, CancelButton, BackupDir, BackupDrive});
    connectControls();
    OKButton->setFocus();
}

void BackupDialog::createControls() {
    const double tpp = twipsPerPixel(this);
    for (const ControlDesign& design : kDesign) {
        QWidget* control =
            std::visit([this, &design](auto member) { return create(member, design); }, design.control);
        control->setGeometry(twipsToPixels(design.left, design.top, design.width, design.height, tpp));
    }
    setFixedSize(twipsToPixels(kDesignClientWidth, tpp), twipsToPixels(kDesignClientHeight, tpp));
    OKButton->setDefault(true);
    // As on Windows, Enter presses the button that has the focus; OK answers it only while the focus is on
    // a control that is no button.
    CancelButton->setAutoDefault(true);
}

QWidget* BackupDialog::create(QPushButton* BackupDialog::*button, const ControlDesign& design) {
    return this->*button = new QPushButton(QString::fromLatin1(design.caption), this);
}

QWidget* BackupDialog::create(FolderList* BackupDialog::*list, const ControlDesign&) {
    return this->*list = new FolderList(m_fileSystem, this);
}

QWidget* BackupDialog::create(DriveList* BackupDialog::*list, const ControlDesign&) {
    return this->*list = new DriveList(m_fileSystem, this);
}

void BackupDialog::nameControls() {
    // Named by what they hold: a drive list's own text is only the drive it shows.
    BackupDir->setAccessibleName(tr("Folders"));
    BackupDrive->setAccessibleName(tr("Drives"));
}

void BackupDialog::connectControls() {
    connect(OKButton, &QPushButton::clicked, this, &BackupDialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &BackupDialog::CancelButton_Click);
    connect(BackupDrive, &DriveList::driveChanged, this, &BackupDialog::BackupDrive_Change);
    connect(BackupDir, &FolderList::openFailed, this,
            [this](const QString& message) { MessageBox::warning(this, message); });
}

void BackupDialog::setDrive(const QString& drive) {
    BackupDrive->setDrive(drive);
}

void BackupDialog::setPath(const QString& path) {
    // Start-up points the hidden dialog at the user folder; a folder it cannot read is met again, with a
    // message, when the user opens the dialog and navigates.
    (void)BackupDir->setPath(path);
}

void BackupDialog::BackupDrive_Change() {
    const QString drive = chooseDrive(m_state, BackupDrive->Drive());
    const Status switched = BackupDir->setPath(drive);
    if (!switched) {
        BackupDrive->showDrive(BackupDir->Path().front());
        MessageBox::warning(this, tr("Drive %1 cannot be read.\n\n%2").arg(drive, switched.error()));
    }
}

void BackupDialog::OKButton_Click() {
    chooseUserFolder(m_state, m_fileSystem, m_mainForm, BackupDir->Path());
    accept();
}

void BackupDialog::CancelButton_Click() {
    reject();
}

void BackupDialog::keyPressEvent(QKeyEvent* event) {
    // No button of this dialog answers Escape.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

DeferredBackupDialog::DeferredBackupDialog(AppState& state, platform::FileSystem& fileSystem,
                                           MainFormControls& mainForm, QWidget& window)
    : m_state(state), m_fileSystem(fileSystem), m_mainForm(mainForm), m_window(window) {}

void DeferredBackupDialog::setDrive(const QString& drive) {
    if (m_dialog)
        m_dialog->setDrive(drive);
    else
        m_drive = drive;
}

void DeferredBackupDialog::setPath(const QString& path) {
    if (m_dialog)
        m_dialog->setPath(path);
    else
        m_path = path;
}

BackupDialog& DeferredBackupDialog::dialog() {
    if (!m_dialog) {
        m_dialog = new BackupDialog(m_state, m_fileSystem, m_mainForm, &m_window);
        if (m_drive)
            m_dialog->setDrive(*m_drive);
        if (m_path)
            m_dialog->setPath(*m_path);
    }
    return *m_dialog;
}

} // namespace fambridge
