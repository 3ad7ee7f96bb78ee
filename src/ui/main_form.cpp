#include "ui/main_form.h"

#include "startup/settings_file.h"
#include "ui/backup_dialog.h"
#include "ui/drop_down_list.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace fambridge {

namespace {
constexpr int kDesignClientWidth = 11460;
constexpr int kDesignClientHeight = 3810;
} // namespace

MainForm::MainForm(AppState& state, platform::FileSystem& fileSystem, std::optional<ScreenMetrics> screen,
                   QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Line1(120, 840, 12720, 840, [this] { update(); }), Line2(120, 2160, 12720, 2160, [this] { update(); }),
      Line3(12720, 3000, 120, 3000, [this] { update(); }), SelectDialog(fileSystem, this), m_state(state),
      m_fileSystem(fileSystem), m_launcher(fileSystem),
      m_warn([this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); }),
      m_sizing(state) {
    setWindowTitle(QStringLiteral("Famlore Conversion Utility"));
    m_twipsPerPixel = twipsPerPixel(this);

    // The design's font: the platform's ordinary sans-serif at 8 points, shared by every control.
    QFont designFont(QStringLiteral("Sans Serif"), 8);
    designFont.setStyleHint(QFont::SansSerif);
    setFont(designFont);

    // Created in the window's control order, which the scaler follows.
    QPushButton* import = addButton(Import, 0, QStringLiteral("Import"), 240, 240, 975, 375);
    addLabel(FromGED, 0, QStringLiteral("From GED File:"), 1440, 360, 1575, 255);
    addLabel(FromFilename, 1, QString(), 3240, 360, 6700, 255);
    QPushButton* browseI = addButton(BrowseI, 1, QStringLiteral("Browse..."), 10185, 240, 1095, 375);
    m_controls.push_back(&Line1);
    QPushButton* exportButton = addButton(Export, 1, QStringLiteral("Export"), 240, 1050, 975, 375);
    addLabel(FromDB, 1, QStringLiteral("From Database:"), 1440, 1170, 1575, 255);
    DBList = new DropDownList(this);
    addControl(DBList, 3240, 1080, 3375, 315, true);
    addLabel(ToGED, 1, QStringLiteral("To GED File:"), 1440, 1680, 1575, 255);
    addLabel(ToFilename, 0, QString(), 3240, 1680, 6700, 255);
    QPushButton* browseE = addButton(BrowseE, 0, QStringLiteral("Browse..."), 10185, 1560, 1095, 375);
    m_controls.push_back(&Line2);
    addLabel(Backup, 1, QStringLiteral("Palm User Folder:"), 1440, 2520, 1575, 255);
    addLabel(Backup, 2, QString(), 3240, 2520, 6700, 255);
    QPushButton* browseS = addButton(BrowseS, 2, QStringLiteral("Browse..."), 10185, 2400, 1095, 375);
    m_controls.push_back(&Line3);
    QPushButton* exit = addButton(Exit, 1, QStringLiteral("Exit"), 240, 3240, 975, 375);
    Version = new QLabel(QStringLiteral("v1.60"), this);
    addControl(Version, 10500, 3360, 495, 255);
    // The file dialog is a control of the window too, with nothing the scaler can change.
    m_controls.push_back(&m_selectDialogControl);

    for (QPushButton* disabled : {import, browseI, exportButton, browseE})
        disabled->setEnabled(false);

    setTabOrder(exit, import);
    setTabOrder(import, browseI);
    setTabOrder(browseI, browseE);
    setTabOrder(browseE, browseS);
    setTabOrder(browseS, DBList);
    setTabOrder(DBList, exportButton);

    connect(browseI, &QPushButton::clicked, this, [this] { BrowseI_Click(1); });
    connect(browseE, &QPushButton::clicked, this, [this] { BrowseE_Click(0); });
    connect(DBList, &QComboBox::activated, this, [this] { DBList_Click(); });
    connect(import, &QPushButton::clicked, this, [this] { Import_Click(0); });
    connect(exportButton, &QPushButton::clicked, this, [this] { Export_Click(1); });
    connect(exit, &QPushButton::clicked, this, [this] { Exit_Click(1); });
    connect(browseS, &QPushButton::clicked, this, [this] { BrowseS_Click(2); });

    // The design window, centred on the 800 x 600 screen it was drawn for; loading scales it from there.
    const QMargins frame = frameMargins();
    const float outerWidth = float(kDesignClientWidth + (frame.left() + frame.right()) * m_twipsPerPixel);
    const float outerHeight = float(kDesignClientHeight + (frame.top() + frame.bottom()) * m_twipsPerPixel);
    Move(float((800 * m_twipsPerPixel - outerWidth) / 2), float((600 * m_twipsPerPixel - outerHeight) / 2),
         outerWidth, outerHeight);
    exit->setFocus();
    Form_Load(screen.value_or(screenMetrics()));
}

QPushButton* MainForm::addButton(ControlArray<QPushButton>& array, int index, const QString& caption,
                                 float left, float top, float width, float height) {
    auto* button = new QPushButton(caption, this);
    // Outside a dialog a push button ignores Enter unless it is an auto-default button; the window must
    // press the focused button on Enter as well as on Space.
    button->setAutoDefault(true);
    addControl(button, left, top, width, height);
    array.add(index, button);
    return button;
}

QLabel* MainForm::addLabel(ControlArray<QLabel>& array, int index, const QString& caption, float left,
                           float top, float width, float height) {
    auto* label = new QLabel(caption, this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    addControl(label, left, top, width, height);
    array.add(index, label);
    return label;
}

WidgetControl* MainForm::addControl(QWidget* widget, float left, float top, float width, float height,
                                    bool comboBox) {
    auto control = std::make_unique<WidgetControl>(widget, m_twipsPerPixel, comboBox);
    control->Move(left, top, width, height);
    m_controls.push_back(control.get());
    m_widgetControls.push_back(std::move(control));
    return m_widgetControls.back().get();
}

QMargins MainForm::frameMargins() const {
    // Until the window manager has framed the window its frame is unknown; the usual fixed dialog frame
    // of the design's platform stands in for it: 3 pixels of border and an 18-pixel caption.
    if (!testAttribute(Qt::WA_WState_Created) || !isVisible() || frameGeometry() == geometry())
        return QMargins(3, 22, 3, 3);
    return QMargins(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                    frameGeometry().right() - geometry().right(),
                    frameGeometry().bottom() - geometry().bottom());
}

ScreenMetrics MainForm::screenMetrics() const {
    const QScreen* screen = this->screen();
    ScreenMetrics metrics;
    if (!screen)
        return metrics;
    metrics.twipsPerPixelX = float(1440.0 / screen->logicalDotsPerInchX());
    metrics.twipsPerPixelY = float(1440.0 / screen->logicalDotsPerInchY());
    metrics.widthTwips = float(screen->size().width() * 1440.0 / screen->logicalDotsPerInchX());
    metrics.heightTwips = float(screen->size().height() * 1440.0 / screen->logicalDotsPerInchY());
    return metrics;
}

std::optional<float> MainForm::Left() const {
    return m_frame[0];
}
std::optional<float> MainForm::Top() const {
    return m_frame[1];
}

std::optional<float> MainForm::Width() const {
    if (size() == m_movedClientSize)
        return m_frame[2];
    const QMargins frame = frameMargins();
    return float((width() + frame.left() + frame.right()) * m_twipsPerPixel);
}

std::optional<float> MainForm::Height() const {
    if (size() == m_movedClientSize)
        return m_frame[3];
    const QMargins frame = frameMargins();
    return float((height() + frame.top() + frame.bottom()) * m_twipsPerPixel);
}

bool MainForm::Move(float left, float top, float width, float height) {
    const QMargins frame = frameMargins();
    const QRect outer = twipsToPixels(left, top, width, height, m_twipsPerPixel);
    const QSize client(outer.width() - frame.left() - frame.right(),
                       outer.height() - frame.top() - frame.bottom());
    if (client.width() <= 0 || client.height() <= 0 || client.width() > QWIDGETSIZE_MAX ||
        client.height() > QWIDGETSIZE_MAX)
        return false;
    m_frame[0] = left;
    m_frame[1] = top;
    m_frame[2] = width;
    m_frame[3] = height;
    m_movedClientSize = client;
    move(outer.topLeft());
    // The user cannot drag the frame; only the program sizes the window.
    setFixedSize(client);
    return true;
}

ScaledControl* MainForm::button(ButtonArray array, int index) {
    const auto buttons = [this, array]() -> ControlArray<QPushButton>* {
        switch (array) {
        case ButtonArray::Import:
            return &Import;
        case ButtonArray::Export:
            return &Export;
        case ButtonArray::BrowseE:
            return &BrowseE;
        case ButtonArray::BrowseS:
            return &BrowseS;
        case ButtonArray::Exit:
            return &Exit;
        }
        return nullptr;
    }();
    QPushButton* wanted = buttons ? (*buttons)(index) : nullptr;
    for (const auto& control : m_widgetControls)
        if (wanted && control->widget() == wanted)
            return control.get();
    return nullptr;
}

ScaledControl* MainForm::line(SeparatorLine which) {
    switch (which) {
    case SeparatorLine::Line1:
        return &Line1;
    case SeparatorLine::Line2:
        return &Line2;
    case SeparatorLine::Line3:
        return &Line3;
    }
    return nullptr;
}

void MainForm::Form_Load(const ScreenMetrics& screen) {
    // A fault stops the handler at its step; the window stays as far as it got, and usable.
    const LayoutOutcome loaded = m_sizing.Form_Load(screen, *this);
    if (!loaded)
        qWarning("The main window could not be fitted to the screen: %s",
                 qPrintable(describe(*loaded.failure())));
}

void MainForm::Form_Resize() {
    const LayoutOutcome resized = m_sizing.Form_Resize(*this);
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
void MainForm::setBackupFolder(const QString& text) {
    setValueLabel(Backup(2), text);
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

void MainForm::setWarningHandler(std::function<void(const QString&)> warn) {
    m_warn = warn;
    SelectDialog.setWarningHandler(std::move(warn));
}

void MainForm::BrowseI_Click(qint16) {
    SelectDialog.FileName = m_state.ImportFile;
    SelectDialog.DialogTitle = QStringLiteral("Select GED File To Import From");
    SelectDialog.InitDir = m_state.ImportDir;
    SelectDialog.Flags = DialogFlag::FileMustExist | DialogFlag::HideReadOnly;
    SelectDialog.ShowOpen();
    if (!SelectDialog.FileName.isEmpty()) {
        m_state.ImportFile = SelectDialog.FileName;
        setFromFilename(m_state.ImportFile);
        setImportEnabled(true);
    }
}

void MainForm::BrowseE_Click(qint16) {
    SelectDialog.FileName = m_state.ExportFile;
    SelectDialog.DialogTitle = QStringLiteral("Select GED File To Export To");
    SelectDialog.InitDir = m_state.ExportDir;
    SelectDialog.Flags =
        DialogFlag::NoReadOnlyReturn | DialogFlag::HideReadOnly | DialogFlag::OverwritePrompt;
    SelectDialog.ShowSave();
    if (!SelectDialog.FileName.isEmpty()) {
        m_state.ExportFile = SelectDialog.FileName;
        setToFilename(m_state.ExportFile);
        setExportEnabled(true);
    }
}

void MainForm::Import_Click(qint16) {
    const QString installFile = m_state.UserFolder + QStringLiteral("\\INSTALL\\FAMLORIM.PDB");
    if (m_fileSystem.exists(installFile, platform::ListMask::Normal)) {
        // A stale database left in place could be taken for the converter's fresh one.
        const Status deleted = m_fileSystem.deleteFile(installFile);
        if (!deleted) {
            m_warn(QStringLiteral("FLImport was not started, because the database of an earlier import "
                                  "could not be removed.\n\n%1")
                       .arg(deleted.error()));
            return;
        }
    }
    startConverter(QStringLiteral("FLImport"),
                   {m_state.UserFolder + QStringLiteral("\\INSTALL"), m_state.ImportFile, m_state.AppDir});
}

void MainForm::Export_Click(qint16) {
    startConverter(QStringLiteral("FLExport"), {m_state.UserFolder + QStringLiteral("\\BACKUP"),
                                                m_state.ExportFile, m_state.DatabaseName});
}

void MainForm::startConverter(const QString& name, const QStringList& arguments) {
    const auto started = m_launcher.start(m_state.AppDir + QLatin1Char('\\') + name, arguments);
    if (!started)
        m_warn(QStringLiteral("%1 could not be started from the application folder %2.\n\n%3")
                   .arg(name, m_state.AppDir, started.error()));
}

void MainForm::BrowseS_Click(qint16) {
    if (m_backupDialog)
        m_backupDialog->dialog().exec();
}

void MainForm::DBList_Click() {
    m_state.DatabaseName = DBList->currentText();
    if (!m_state.DatabaseName.isEmpty())
        setBrowseEEnabled(true);
}

void MainForm::Exit_Click(qint16) {
    const Status written = WriteSettingsFile(m_fileSystem, m_state);
    if (!written)
        m_warn(QStringLiteral("Your choices could not be saved.\n\n%1").arg(written.error()));
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
