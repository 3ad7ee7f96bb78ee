#include "unprivileged.h"
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace fambridge {
namespace {

using Step = std::function<void(QWidget* modal)>;

// Plays the user at Qt's real file dialog while `show` runs: each time a new modal window is up, the next
// step acts on it. Whether every step ran; one that never comes fails instead of leaving the test waiting.
bool playUser(std::vector<Step> steps, const std::function<void()>& show) {
    std::size_t next = 0;
    QWidget* lastModal = nullptr;
    const QDeadlineTimer deadline(10000);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (deadline.hasExpired()) {
            // Goes on closing whatever comes up, since a step still running may open another window.
            while (QWidget* open = QApplication::activeModalWidget())
                open->close();
        } else if (modal && modal != lastModal && next < steps.size()) {
            lastModal = modal;
            // Run from the event loop rather than from this timer: a step that opens a modal window would
            // otherwise hold this timer, which Qt never fires inside its own slot, until the window closes.
            QTimer::singleShot(0, &timer, [step = steps[next++], modal] { step(modal); });
        }
    });
    timer.start(20);
    show();
    return next == steps.size();
}

// How the user confirms a name: Enter, or the dialog's Open or Save button, which Qt enables only for the
// names it would take itself.
enum class Confirm { ByEnter, ByButton };

void typeName(QWidget* modal, const QString& name, Confirm confirm = Confirm::ByEnter) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << "expected the file dialog, found " << modal->metaObject()->className();
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(dialog->isVisible()) << "the dialog closed before " << name.toStdString() << " was typed";
    // The dialog drops an earlier pick from its list only while the user types into a focused name field.
    QApplication::setActiveWindow(dialog);
    edit->setFocus();
    edit->setText(name);
    if (confirm == Confirm::ByEnter) {
        QTest::keyClick(edit, Qt::Key_Return);
        return;
    }
    auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(buttons, nullptr);
    for (QAbstractButton* button : buttons->buttons()) {
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
            QTest::mouseClick(button, Qt::LeftButton);
    }
}

// Presses a button of the message up and hands back its text.
void answerMessage(QWidget* modal, QMessageBox::StandardButton button, QString* text) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr) << "expected a message, found " << modal->metaObject()->className();
    *text = box->text();
    ASSERT_NE(box->button(button), nullptr) << "no such button under: " << text->toStdString();
    box->button(button)->click();
}

// The names the dialog's list shows in the folder it is in, once it has read them.
QStringList shownNames(QWidget* modal) {
    auto* view = modal->findChild<QAbstractItemView*>("listView");
    if (view == nullptr) {
        ADD_FAILURE() << "no list in " << modal->metaObject()->className();
        return {};
    }
    const auto rows = [view] { return view->model()->rowCount(view->rootIndex()); };
    if (!QTest::qWaitFor([&] { return rows() > 0; }, 5000))
        return {};
    QStringList names;
    for (int row = 0; row < rows(); ++row)
        names.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
    return names;
}

class SelectDialogTest : public testing::WindowFixture {
protected:
    void SetUp() override {
        start();
        form().SelectDialog.setRunner(std::make_unique<QtFileDialogRunner>(drives.fileSystem()));
    }
    CommonDialog& select() { return form().SelectDialog; }
};

// Qt matches name filters case-sensitively on this host; the dialog must not. Refusing a read-only file
// is Windows' rule under NoReadOnlyReturn, which the dialog applies itself.
TEST_F(SelectDialogTest, GedFilterShowsUpperCaseNamesAndAReadOnlyFileIsRefusedNamingItUntilAnotherIsTyped) {
    QFile::setPermissions(drives.makeFile('D', "Gen/locked.ged"), QFile::ReadOwner | QFile::ReadOther);
    drives.makeFile('D', "Gen/TREE.GED");
    drives.makeFile('D', "Gen/notes.txt");
    select().InitDir = "D:\\Gen";
    select().Flags = {DialogFlag::NoReadOnlyReturn, DialogFlag::HideReadOnly, DialogFlag::OverwritePrompt};
    QStringList shown;
    QString message;
    const Step look = [&shown](QWidget* modal) {
        shown = shownNames(modal);
        typeName(modal, "locked.ged");
    };
    const Step answer = [&message](QWidget* modal) { answerMessage(modal, QMessageBox::Ok, &message); };
    EXPECT_TRUE(playUser({look, answer, [](QWidget* modal) { typeName(modal, "fresh"); }},
                         [&] { select().ShowSave(); }));
    EXPECT_EQ(shown, QStringList({"locked.ged", "TREE.GED"}));
    EXPECT_TRUE(message.contains("locked.ged") && message.contains("read-only")) << message.toStdString();
    EXPECT_EQ(select().FileName, "D:\\Gen\\fresh.GED");
}

// One thing the user does while the dialog is up: type names into it, confirming each, or answer the
// message it shows, which must name every part given.
struct Act {
    enum class Kind { Type, Answer } kind;
    QStringList texts;
    Confirm confirm = Confirm::ByEnter;
    QMessageBox::StandardButton button = QMessageBox::NoButton;
};
Act typed(const QStringList& names) {
    return {Act::Kind::Type, names};
}
Act clicked(const QString& name) {
    return {Act::Kind::Type, {name}, Confirm::ByButton};
}
Act answered(QMessageBox::StandardButton button, const QStringList& parts) {
    return {Act::Kind::Answer, parts, Confirm::ByEnter, button};
}

Step play(const Act& act) {
    if (act.kind == Act::Kind::Type) {
        return [act](QWidget* modal) {
            for (const QString& name : act.texts)
                typeName(modal, name, act.confirm);
        };
    }
    return [act](QWidget* modal) {
        QString text;
        answerMessage(modal, act.button, &text);
        for (const QString& part : act.texts)
            EXPECT_TRUE(text.contains(part)) << part.toStdString() << " not in: " << text.toStdString();
    };
}

struct TypedCase {
    const char* name;
    bool save;
    std::vector<Act> acts;
    QString chosen;
    bool needsUnprivileged = false; // a folder that cannot be written stops only an unprivileged user
};

void PrintTo(const TypedCase& typedCase, std::ostream* out) {
    *out << typedCase.name;
}

// What the user types is read as Windows reads it and checked through the program's own look-up, so that
// letter case does not matter and a Windows path can be typed; the dialog opens in D:\Gen, and the
// program's current folder is C:\Conv.
class TypedNameTest : public SelectDialogTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedNameTest, ChoosesTheFileWindowsWouldAfterTheMessagesItWouldShow) {
    const TypedCase& typedCase = GetParam();
    if (typedCase.needsUnprivileged && testing::rerunUnprivileged())
        return;
    drives.makeFile('D', "Gen/tree.ged");
    drives.makeFile('D', "Gen/out.ged");
    drives.makeFile('D', "Gen/README");
    QFile::setPermissions(drives.makeFile('D', "Gen/locked.ged"), QFile::ReadOwner | QFile::ReadOther);
    QFile::setPermissions(drives.makeFolder('D', "Shut"),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    drives.makeFile('C', "Genealogy/tree.ged");
    drives.makeFile('C', "Conv/Tree.ged");
    select().InitDir = "D:\\Gen";
    if (typedCase.save)
        select().Flags = {DialogFlag::NoReadOnlyReturn, DialogFlag::HideReadOnly,
                          DialogFlag::OverwritePrompt};
    else
        select().Flags = {DialogFlag::FileMustExist, DialogFlag::HideReadOnly};
    std::vector<Step> steps;
    for (const Act& act : typedCase.acts)
        steps.push_back(play(act));

    EXPECT_TRUE(playUser(steps, [&] { typedCase.save ? select().ShowSave() : select().ShowOpen(); }));
    EXPECT_EQ(select().FileName, typedCase.chosen);
}

constexpr bool kOpen = false;
constexpr bool kSave = true;
constexpr auto kOk = QMessageBox::Ok;
constexpr auto kYes = QMessageBox::Yes;
constexpr auto kNo = QMessageBox::No;

INSTANTIATE_TEST_SUITE_P(
    Cases, TypedNameTest,
    ::testing::Values(
        TypedCase{"OpenNameGetsTheDefaultExtensionAndIsFoundInAnyCase",
                  kOpen,
                  {clicked("tree")},
                  "D:\\Gen\\tree.ged"},
        TypedCase{
            "OpenMissingFileIsNotFoundAndTheDialogStaysOpen",
            kOpen,
            {typed({"missing"}), answered(kOk, {"missing.GED", "File not found."}), typed({"TREE.GED"})},
            "D:\\Gen\\tree.ged"},
        TypedCase{
            "OpenNameWithoutExtensionOnDiskIsFoundAsTyped", kOpen, {typed({"readme"})}, "D:\\Gen\\README"},
        TypedCase{"OpenWindowsPathIsFoundOnItsDrive",
                  kOpen,
                  {clicked("C:\\GENEALOGY\\Tree")},
                  "C:\\Genealogy\\tree.ged"},
        TypedCase{"OpenWindowsPathWithForwardSlashes",
                  kOpen,
                  {typed({"c:/genealogy/tree.ged"})},
                  "C:\\Genealogy\\tree.ged"},
        TypedCase{"OpenDriveRelativePathStartsInThatDrivesCurrentFolder",
                  kOpen,
                  {typed({"C:tree"})},
                  "C:\\Conv\\Tree.ged"},
        TypedCase{"OpenDriveRelativePathOnTheDialogsDriveStartsInItsFolder",
                  kOpen,
                  {typed({"d:TREE"})},
                  "D:\\Gen\\tree.ged"},
        TypedCase{"OpenTypedFolderIsEnteredAndTheNextNameIsReadThere",
                  kOpen,
                  {typed({"C:\\genealogy", "tree"})},
                  "C:\\Genealogy\\tree.ged"},
        TypedCase{"OpenPathThroughAMissingFolderDoesNotExist",
                  kOpen,
                  {typed({"C:\\Nowhere\\tree"}), answered(kOk, {"C:\\Nowhere", "Path does not exist."}),
                   typed({"tree"})},
                  "D:\\Gen\\tree.ged"},
        TypedCase{"SaveOverAFileTypedInAnotherCaseOnlyAfterYes",
                  kSave,
                  {clicked("OUT"), answered(kNo, {"out.ged already exists."}), typed({"OUT"}),
                   answered(kYes, {"out.ged already exists."})},
                  "D:\\Gen\\out.ged"},
        TypedCase{"SaveOverAReadOnlyFileTypedInAnotherCaseIsRefused",
                  kSave,
                  {clicked("LOCKED"), answered(kOk, {"locked.ged", "read-only"}), typed({"fresh"})},
                  "D:\\Gen\\fresh.GED"},
        TypedCase{"SaveTypedFolderIsEnteredAndTheNextNameIsReadThere",
                  kSave,
                  {typed({"c:\\GENEALOGY", "new"})},
                  "C:\\Genealogy\\new.GED"},
        TypedCase{
            "SaveToANewFileByWindowsPath", kSave, {typed({"C:\\Genealogy\\new"})}, "C:\\Genealogy\\new.GED"},
        TypedCase{"SaveOverAFileByWindowsPathAfterYes",
                  kSave,
                  {typed({"c:/GENEALOGY/TREE.GED"}), answered(kYes, {"tree.ged already exists."})},
                  "C:\\Genealogy\\tree.ged"},
        TypedCase{"SaveToANameEndingInADotAddsNoExtension", kSave, {typed({"notes."})}, "D:\\Gen\\notes"},
        TypedCase{"SaveToAQuotedNameAddsNoExtension", kSave, {typed({"\"notes\""})}, "D:\\Gen\\notes"},
        TypedCase{
            "SaveIntoAFolderThatCannotBeWrittenIsRefused",
            kSave,
            {typed({"D:\\shut\\new"}), answered(kOk, {"new.GED", "cannot be written"}), typed({"fresh"})},
            "D:\\Gen\\fresh.GED",
            true}),
    [](const ::testing::TestParamInfo<TypedCase>& info) { return std::string(info.param.name); });

// Windows lists the names matching a typed wildcard instead of taking it as a file name.
TEST_F(SelectDialogTest, TypedWildcardListsTheMatchingNamesOfItsFolderAndTheDialogStaysThere) {
    drives.makeFile('D', "Gen/tree.ged");
    drives.makeFile('C', "Genealogy/tree.ged");
    drives.makeFile('C', "Genealogy/notes.txt");
    select().InitDir = "D:\\Gen";
    select().Flags = {DialogFlag::FileMustExist, DialogFlag::HideReadOnly};
    QStringList shown;
    const Step filter = [&shown](QWidget* modal) {
        typeName(modal, "C:\\Genealogy\\*.TXT");
        shown = shownNames(modal);
        typeName(modal, "tree");
    };
    EXPECT_TRUE(playUser({filter}, [&] { select().ShowOpen(); }));
    EXPECT_EQ(shown, QStringList({"notes.txt"}));
    EXPECT_EQ(select().FileName, "C:\\Genealogy\\tree.ged");
}

// Browsing stays Qt's: Open on a folder picked in the list enters it, and a name typed next is read there.
TEST_F(SelectDialogTest, OpenOnAFolderPickedInTheListEntersIt) {
    drives.makeFile('D', "Gen/Sub/tree.ged");
    select().InitDir = "D:\\Gen";
    select().Flags = {DialogFlag::FileMustExist, DialogFlag::HideReadOnly};
    const Step enter = [](QWidget* modal) {
        ASSERT_EQ(shownNames(modal), QStringList({"Sub"}));
        auto* view = modal->findChild<QAbstractItemView*>("listView");
        view->setCurrentIndex(view->model()->index(0, 0, view->rootIndex()));
        modal->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open)->click();
        typeName(modal, "tree");
    };
    EXPECT_TRUE(playUser({enter}, [&] { select().ShowOpen(); }));
    EXPECT_EQ(select().FileName, "D:\\Gen\\Sub\\tree.ged");
}

// Only a folder on a drive gives a typed name a DOS path; elsewhere the dialog closes on it, and the
// window refuses the file as it refuses any chosen outside the drives.
TEST_F(SelectDialogTest, NameTypedInAFolderOutsideTheDrivesIsRefusedOnceTheDialogCloses) {
    drives.makeFile('D', "Gen/tree.ged");
    QTemporaryDir outside;
    select().Flags = {DialogFlag::FileMustExist, DialogFlag::HideReadOnly};
    const Step leave = [&outside](QWidget* modal) {
        qobject_cast<QFileDialog*>(modal)->setDirectory(outside.path());
        typeName(modal, "tree");
    };
    EXPECT_TRUE(playUser({leave}, [&] { select().ShowOpen(); }));
    EXPECT_EQ(select().FileName, "");
    expectWarnings(1, {outside.path() + "/tree", "drive letters"});
}

// Calls a delegate's protected initStyleOption, which gives an entry the text it is painted with.
struct PaintedText : QStyledItemDelegate {
    static QString of(QAbstractItemView* view, const QModelIndex& index) {
        auto* delegate = qobject_cast<QStyledItemDelegate*>(view->itemDelegate());
        if (delegate == nullptr) {
            ADD_FAILURE() << "the view paints with no styled delegate";
            return {};
        }
        QStyleOptionViewItem option;
        const auto initStyleOption = &PaintedText::initStyleOption;
        (delegate->*initStyleOption)(&option, index);
        return option.text;
    }
};

TEST_F(SelectDialogTest, SidebarNamesTheDrivesByTheirLetters) {
    drives.makeFolder('D', "Gen");
    QStringList names;
    const Step look = [&names](QWidget* modal) {
        auto* sidebar = modal->findChild<QAbstractItemView*>("sidebar");
        ASSERT_NE(sidebar, nullptr);
        for (int row = 0; row < sidebar->model()->rowCount(); ++row)
            names.append(PaintedText::of(sidebar, sidebar->model()->index(row, 0)));
        modal->close();
    };
    EXPECT_TRUE(playUser({look}, [&] { select().ShowOpen(); }));
    EXPECT_EQ(names, QStringList({"C:", "D:"}));
}

} // namespace
} // namespace fambridge
