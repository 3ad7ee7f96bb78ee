#include "ui/main_form.h"

#include "commands/choices.h"
#include "commands/converter_commands.h"
#include "startup/settings_file.h"
#include "ui/accessibility.h"
#include "ui/backup_dialog.h"
#include "ui/design.h"
#include "ui/drop_down_list.h"
#include "ui/messages.h"
#include "ui/twips.h"
#include "version.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <variant>

namespace fambridge {

namespace {
constexpr int kDesignClientWidth = 11460;
constexpr int kDesignClientHeight = 3810;
} // namespace

struct MainForm::ControlDesign {
    std::variant<ControlArray<QPushButton> MainForm::*, ControlArray<QLabel> MainForm::*,
                 QComboBox * MainForm::*, QLabel * MainForm::*, LineControl MainForm::*,
                 ScaledControl MainForm::*>
        control;
    int index; // in its control array
    const char* caption;
    // Left, Top, Width and Height in twips; for a line X1, Y1, X2 and Y2.
    float left, top, width, height;
};

constexpr MainForm::ControlDesign MainForm::kDesign[] = {
    {&MainForm::Import, 0, "Import", 240, 240, 975, 375},
    {&MainForm::FromGED, 0, "From GED File:", 1440, 360, 1575, 255},
    {&MainForm::FromFilename, 1, "", 3240, 360, 6700, 255},
    {&MainForm::BrowseI, 1, "Browse...", 10185, 240, 1095, 375},
    {&MainForm::Line1, 0, "", 120, 840, 12720, 840},
    {&MainForm::Export, 1, "Export", 240, 1050, 975, 375},
    {&MainForm::FromDB, 1, "From Database:", 1440, 1170, 1575, 255},
    {&MainForm::DBList, 0, "", 3240, 1080, 3375, 315},
    {&MainForm::ToGED, 1, "To GED File:", 1440, 1680, 1575, 255},
    {&MainForm::ToFilename, 0, "", 3240, 1680, 6700, 255},
    {&MainForm::BrowseE, 0, "Browse...", 10185, 1560, 1095, 375},
    {&MainForm::Line2, 0, "", 120, 2160, 12720, 2160},
    {&MainForm::Backup, 1, "Palm User Folder:", 1440, 2520, 1575, 255},
    {&MainForm::Backup, 2, "", 3240, 2520, 6700, 255},
    {&MainForm::BrowseS, 2, "Browse...", 10185, 2400, 1095, 375},
    {&MainForm::Line3, 0, "", 12720, 3000, 120, 3000},
    {&MainForm::Exit, 1, "Exit", 240, 3240, 975, 375},
    {&MainForm::Version, 0, FAMBRIDGE_VERSION_TEXT, 10500, 3360, 495, 255},
    // The file dialog: a control of the window with nothing the scaler can change.
    {&MainForm::m_selectDialogControl, 0, "", 0, 0, 0, 0},
};

MainForm::MainForm(AppState& state, platform::FileSystem& fileSystem, platform::ProgramStarter& starter,
                   FileDialogRunner& fileDialogs, std::optional<ScreenMetrics> screen, QWidget* parent)
    : QWidget(parent, Qt::Window | kFixedFrame), SelectDialog(fileSystem, fileDialogs, this), m_state(state),
      m_fileSystem(fileSystem), m_starter(starter), m_twipsPerPixel(twipsPerPixel(this)),
      m_layout(*this, m_twipsPerPixel) {
    setWindowTitle(kMainFormCaption);
    setFont(designFont());
    installAccessibleInterfaces();
    createControls();
    nameControls();
    orderTabs({Exit(1), Import(0), BrowseI(1), BrowseE(0), BrowseS(2), DBList, Export(1)});
    connectControls();
    moveToDesignScreen();
    Exit(1)->setFocus();
    Form_Load(screen.value_or(screenMetrics(this)));
}

void MainForm::createControls() {
    for (const ControlDesign& design : kDesign)
        std::visit([this, &design](auto control) { create(control, design); }, design.control);
    // Nothing is chosen yet that these could start on or choose for.
    for (QPushButton* disabled : {Import(0), BrowseI(1), Export(1), BrowseE(0)})
        disabled->setEnabled(false);
}

void MainForm::create(ControlArray<QPushButton> MainForm::*array, const ControlDesign& design) {
    auto* button = new QPushButton(QString::fromLatin1(design.caption), this);
    // Outside a dialog a push button ignores Enter unless it is an auto-default button; the window must
    // press the focused button on Enter as well as on Space.
    button->setAutoDefault(true);
    place(button, design);
    (this->*array).add(design.index, button);
}

void MainForm::create(ControlArray<QLabel> MainForm::*array, const ControlDesign& design) {
    auto* label = new QLabel(QString::fromLatin1(design.caption), this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label, design);
    (this->*array).add(design.index, label);
}

void MainForm::create(QComboBox* MainForm::*list, const ControlDesign& design) {
    this->*list = new DropDownList(this);
    place(this->*list, design, true);
}

void MainForm::create(QLabel* MainForm::*label, const ControlDesign& design) {
    this->*label = new QLabel(QString::fromLatin1(design.caption), this);
    place(this->*label, design);
}

void MainForm::create(LineControl MainForm::*line, const ControlDesign& design) {
    LineControl& ends = this->*line;
    ends.X1 = design.left;
    ends.Y1 = design.top;
    ends.X2 = design.width;
    ends.Y2 = design.height;
    m_layout.addControl(ends);
}

void MainForm::create(ScaledControl MainForm::*control, const ControlDesign&) {
    m_layout.addControl(this->*control);
}

void MainForm::place(QWidget* widget, const ControlDesign& design, bool comboBox) {
    m_layout.addWidget(widget, design.left, design.top, design.width, design.height, comboBox);
}

void MainForm::nameControls() {
    // The separator lines keep their places between the rows of these buttons.
    m_layout.nameButton(ButtonArray::Import, 0, Import(0));
    m_layout.nameButton(ButtonArray::Export, 1, Export(1));
    m_layout.nameButton(ButtonArray::BrowseE, 0, BrowseE(0));
    m_layout.nameButton(ButtonArray::BrowseS, 2, BrowseS(2));
    m_layout.nameButton(ButtonArray::Exit, 1, Exit(1));
    m_layout.nameLine(SeparatorLine::Line1, Line1);
    m_layout.nameLine(SeparatorLine::Line2, Line2);
    m_layout.nameLine(SeparatorLine::Line3, Line3);
    nameControlsApart();
}

void MainForm::nameControlsApart() {
    // The three Browse buttons share a caption that only their rows explain to the eye; a screen reader
    // names each by what it chooses. The captions themselves stay the design's.
    BrowseI(1)->setAccessibleName(tr("Browse for the GED file to import from"));
    BrowseE(0)->setAccessibleName(tr("Browse for the GED file to export to"));
    BrowseS(2)->setAccessibleName(tr("Browse for the Palm user folder"));
    Import(0)->setAccessibleDescription(tr("Starts FLImport on the GED file to import from"));
    Export(1)->setAccessibleDescription(tr("Starts FLExport on the database and the GED file to export to"));
    Exit(1)->setAccessibleDescription(tr("Saves your choices and ends FamBridge"));
    DBList->setAccessibleName(tr("Database"));
    // A caption label whose buddy is a value label or the list is what a screen reader reads it with
    // ("labelled by"). No caption holds an ampersand, so no access key comes of it.
    FromGED(0)->setBuddy(FromFilename(1));
    FromDB(1)->setBuddy(DBList);
    ToGED(1)->setBuddy(ToFilename(0));
    Backup(1)->setBuddy(Backup(2));
}

void MainForm::connectControls() {
    connect(BrowseI(1), &QPushButton::clicked, this, [this] { BrowseI_Click(1); });
    connect(BrowseE(0), &QPushButton::clicked, this, [this] { BrowseE_Click(0); });
    connect(DBList, &QComboBox::activated, this, [this] { DBList_Click(); });
    connect(Import(0), &QPushButton::clicked, this, [this] { Import_Click(0); });
    connect(Export(1), &QPushButton::clicked, this, [this] { Export_Click(1); });
    connect(Exit(1), &QPushButton::clicked, this, [this] { Exit_Click(1); });
    connect(BrowseS(2), &QPushButton::clicked, this, [this] { BrowseS_Click(2); });
}

void MainForm::moveToDesignScreen() {
    // The design window, centred on the screen it was drawn for; loading scales it from there.
    const QMargins frame = m_layout.frameMargins();
    const float outerWidth = float(kDesignClientWidth + (frame.left() + frame.right()) * m_twipsPerPixel);
    const float outerHeight = float(kDesignClientHeight + (frame.top() + frame.bottom()) * m_twipsPerPixel);
    m_layout.Move(float((kDesignScreenWidthPx * m_twipsPerPixel - outerWidth) / 2),
                  float((kDesignScreenHeightPx * m_twipsPerPixel - outerHeight) / 2), outerWidth,
                  outerHeight);
}

void MainForm::Form_Load(const ScreenMetrics& screen) {
    // A fault stops the handler at its step; the window stays as far as it got, and usable.
    const LayoutOutcome loaded = m_sizing.Form_Load(screen, m_layout);
    if (!loaded)
        qWarning("The main window could not be fitted to the screen: %s",
                 qPrintable(describe(*loaded.failure())));
}

void MainForm::Form_Resize() {
    const LayoutOutcome resized = m_sizing.Form_Resize(m_layout);
    if (!resized)
        qWarning("The main window's controls could not follow its size: %s",
                 qPrintable(describe(*resized.failure())));
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void MainForm::setValueLabel(QLabel* label, const QString& text) {
    label->setText(text);
    // A long path is clipped by its one-line label; the tooltip still shows it whole.
    label->setToolTip(text);
}

void MainForm::setImportEnabled(bool enabled) {
    Import(0)->setEnabled(enabled);
}
void MainForm::setExportEnabled(bool enabled) {
    Export(1)->setEnabled(enabled);
}
void MainForm::setBrowseIEnabled(bool enabled) {
    BrowseI(1)->setEnabled(enabled);
}
void MainForm::setBrowseEEnabled(bool enabled) {
    BrowseE(0)->setEnabled(enabled);
}
void MainForm::setFromFilename(const QString& text) {
    setValueLabel(FromFilename(1), text);
}
void MainForm::setToFilename(const QString& text) {
    setValueLabel(ToFilename(0), text);
}
void MainForm::setUserFolderLabel(const QString& text) {
    setValueLabel(Backup(2), text);
    // A first start that found no user folder shows only "C:" and greyed buttons; the row says, without a
    // box in the way, what to do next.
    const QString hint = text == kSystemDrive
                             ? tr("No Palm user folder was found. Choose yours with the Browse... button on "
                                  "this row.")
                             : QString();
    if (!hint.isEmpty())
        Backup(2)->setToolTip(hint);
    Backup(2)->setAccessibleDescription(hint);
    BrowseS(2)->setToolTip(hint);
}
void MainForm::clearDBList() {
    DBList->clear();
}
void MainForm::addDBListItem(const QString& name) {
    // A drop-down list gains entries without gaining a selection; QComboBox would select its first entry.
    const int selected = DBList->currentIndex();
    DBList->addItem(name);
    DBList->setCurrentIndex(selected);
}

void MainForm::setDBListText(const QString& name) {
    const int index = DBList->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        DBList->setCurrentIndex(index);
}

std::optional<QString> MainForm::chooseGedFile(const QString& current, const QString& title,
                                               const QString& initDir, DialogFlags flags,
                                               void (CommonDialog::*show)()) {
    SelectDialog.FileName = current;
    SelectDialog.DialogTitle = title;
    SelectDialog.InitDir = initDir;
    SelectDialog.Flags = flags;
    (SelectDialog.*show)();
    // A cancel leaves the preset current choice, which taken again changes nothing.
    if (SelectDialog.FileName.isEmpty())
        return std::nullopt;
    return SelectDialog.FileName;
}

void MainForm::BrowseI_Click(qint16) {
    const auto chosen =
        chooseGedFile(m_state.ImportFile, QStringLiteral("Select GED File To Import From"), m_state.ImportDir,
                      {DialogFlag::FileMustExist, DialogFlag::HideReadOnly}, &CommonDialog::ShowOpen);
    if (chosen)
        chooseImportFile(m_state, *this, *chosen);
}

void MainForm::BrowseE_Click(qint16) {
    const auto chosen =
        chooseGedFile(m_state.ExportFile, QStringLiteral("Select GED File To Export To"), m_state.ExportDir,
                      {DialogFlag::NoReadOnlyReturn, DialogFlag::HideReadOnly, DialogFlag::OverwritePrompt},
                      &CommonDialog::ShowSave);
    if (chosen)
        chooseExportFile(m_state, *this, *chosen);
}

void MainForm::Import_Click(qint16) {
    const Status started = runImport(m_state, m_fileSystem, m_starter);
    if (!started)
        MessageBox::warning(this, started.error());
}

void MainForm::Export_Click(qint16) {
    const Status started = runExport(m_state, m_fileSystem, m_starter);
    if (!started)
        MessageBox::warning(this, started.error());
}

void MainForm::BrowseS_Click(qint16) {
    if (m_backupDialog)
        m_backupDialog->dialog().exec();
}

void MainForm::DBList_Click() {
    chooseDatabase(m_state, *this, DBList->currentText());
}

void MainForm::Exit_Click(qint16) {
    const Status written = writeSettingsFile(m_fileSystem, m_state);
    if (!written)
        MessageBox::warning(this, tr("Your choices could not be saved.\n\n%1").arg(written.error()));
    emit exitRequested();
}

void MainForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setClipRect(rect());
    for (const LineControl* line : {&Line1, &Line2, &Line3}) {
        painter.drawLine(QPointF(line->X1 / m_twipsPerPixel, line->Y1 / m_twipsPerPixel),
                         QPointF(line->X2 / m_twipsPerPixel, line->Y2 / m_twipsPerPixel));
    }
}

} // namespace fambridge
