#include "ui/typed_file_name.h"
#include "unprivileged.h"
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>

namespace fambridge {
namespace {

// The dialog shows D:\Gen; the program's current folder is C:\Conv.
class TypedNameTest : public testing::WindowFixture {
protected:
    void SetUp() override {
        drives.makeFile('D', "Gen/tree.ged");
        drives.makeFile('D', "Gen/out.ged");
        drives.makeFile('D', "Gen/README");
        QFile::setPermissions(drives.makeFile('D', "Gen/locked.ged"), QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(drives.makeFolder('D', "Shut"),
                              QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        drives.makeFile('C', "Genealogy/tree.ged");
        drives.makeFile('C', "Conv/Tree.ged");
        start();
    }

    // What Open or Save does with the typed text, its host path told as a DOS path.
    QString read(bool save, const QString& typed) {
        FileDialogRequest request;
        request.save = save;
        request.defaultSuffix = "GED";
        request.flags = save ? DialogFlags{DialogFlag::NoReadOnlyReturn, DialogFlag::HideReadOnly,
                                           DialogFlag::OverwritePrompt}
                             : DialogFlags{DialogFlag::FileMustExist, DialogFlag::HideReadOnly};
        const TypedFileChoice choice =
            TypedFileName::read(drives.fileSystem(), request, drives.host('D', "Gen"), typed);
        static const char* const kActions[] = {"take", "ask", "refuse", "show", "filter"};
        const auto dos = drives.fileSystem().toDos(choice.hostPath);
        const QString path = choice.hostPath.isEmpty() ? QString() : dos ? *dos : choice.hostPath;
        return QStringLiteral("%1 %2 %3")
            .arg(kActions[int(choice.action)], path, choice.text.split('\n').join('|'))
            .trimmed();
    }
};

constexpr bool kOpen = false;
constexpr bool kSave = true;

// What the user types is read as Windows reads it and checked through the program's own look-up, so that
// letter case does not matter and a Windows path can be typed.
TEST_F(TypedNameTest, IsReadAsWindowsReadsIt) {
    const struct {
        bool save;
        const char* typed;
        const char* choice;
    } cases[] = {
        {kOpen, "tree", "take D:\\Gen\\tree.ged"},
        {kOpen, "TREE.GED", "take D:\\Gen\\tree.ged"},
        {kOpen, "missing", "refuse  missing.GED|File not found.|Check the file name and try again."},
        {kOpen, "readme", "take D:\\Gen\\README"},
        {kOpen, "C:\\GENEALOGY\\Tree", "take C:\\Genealogy\\tree.ged"},
        {kOpen, "c:/genealogy/tree.ged", "take C:\\Genealogy\\tree.ged"},
        {kOpen, "C:tree", "take C:\\Conv\\Tree.ged"},
        {kOpen, "d:TREE", "take D:\\Gen\\tree.ged"},
        {kOpen, "C:\\genealogy", "show C:\\Genealogy"},
        {kOpen, "C:\\Nowhere\\tree",
         "refuse  C:\\Nowhere|Path does not exist.|Check the path and try again."},
        {kOpen, "C:\\Genealogy\\*.TXT", "filter C:\\Genealogy *.TXT"},
        {kOpen, "a|b", "refuse  a|b|The file name is not valid."},
        {kSave, "OUT", "ask D:\\Gen\\out.ged out.ged already exists.|Do you want to replace it?"},
        {kSave, "LOCKED",
         "refuse  locked.ged|This file is set to read-only.|Try again with a different file name."},
        {kSave, "C:\\Genealogy\\new", "take C:\\Genealogy\\new.GED"},
        {kSave, "notes.", "take D:\\Gen\\notes"},
        {kSave, "\"notes\"", "take D:\\Gen\\notes"},
        {kSave, "\"\"", "refuse  \"\"|The file name is not valid."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.save, c.typed), QString(c.choice)) << (c.save ? "save " : "open ") << c.typed;
}

// A folder that cannot be written stops only an unprivileged user.
TEST_F(TypedNameTest, SaveIntoAFolderThatCannotBeWrittenIsRefused) {
    if (testing::rerunUnprivileged())
        return;
    EXPECT_EQ(read(kSave, "D:\\shut\\new"),
              QStringLiteral(
                  "refuse  new.GED|This folder cannot be written to.|Try again with a different file name."));
}

// Plays the user at Qt's real file dialog while `show` runs: once it is up, `step` acts on it. Whether the
// step ran; a dialog that never comes fails instead of leaving the test waiting.
bool playUser(const std::function<void(QFileDialog*)>& step, const std::function<void()>& show) {
    bool ran = false;
    const QDeadlineTimer deadline(10000);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (deadline.hasExpired()) {
            while (QWidget* open = QApplication::activeModalWidget())
                open->close();
        } else if (dialog && !ran) {
            ran = true;
            QTimer::singleShot(0, dialog, [&step, dialog] { step(dialog); });
        }
    });
    timer.start(20);
    show();
    return ran;
}

void typeName(QFileDialog* dialog, const QString& name) {
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    QApplication::setActiveWindow(dialog);
    edit->setFocus();
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Calls a delegate's protected initStyleOption, which gives an entry the text it is painted with.
struct PaintedText : QStyledItemDelegate {
    static QString of(QAbstractItemView* view, const QModelIndex& index) {
        QStyleOptionViewItem option;
        const auto initStyleOption = &PaintedText::initStyleOption;
        (static_cast<QStyledItemDelegate*>(view->itemDelegate())->*initStyleOption)(&option, index);
        return option.text;
    }
};

// Qt's real dialog: the drives by their letters, the GED filter without regard to case, and a typed name
// checked as above, the question answered through the program's messages.
TEST_F(TypedNameTest, RealDialogListsByDriveLetterAndTakesATypedNameAfterTheQuestion) {
    drives.makeFile('D', "Gen/NOTES.GED");
    drives.makeFile('D', "Gen/notes.txt");
    CommonDialog& select = form().SelectDialog;
    select.setRunner(std::make_unique<QtFileDialogRunner>(drives.fileSystem()));
    select.InitDir = "D:\\Gen";
    select.Flags = {DialogFlag::NoReadOnlyReturn, DialogFlag::HideReadOnly, DialogFlag::OverwritePrompt};
    QStringList sidebar;
    QStringList shown;
    MessageBox::setNextAnswer(MessageBox::Yes);
    const auto play = [&](QFileDialog* dialog) {
        auto* drivesView = dialog->findChild<QAbstractItemView*>("sidebar");
        auto* list = dialog->findChild<QAbstractItemView*>("listView");
        ASSERT_TRUE(drivesView && list);
        for (int row = 0; row < drivesView->model()->rowCount(); ++row)
            sidebar.append(PaintedText::of(drivesView, drivesView->model()->index(row, 0)));
        QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) > 0; }, 5000);
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
            shown.append(list->model()->index(row, 0, list->rootIndex()).data().toString());
        typeName(dialog, "OUT");
    };
    EXPECT_TRUE(playUser(play, [&] { select.ShowSave(); }));
    EXPECT_EQ(sidebar, QStringList({"C:", "D:"}));
    EXPECT_EQ(shown, QStringList({"locked.ged", "NOTES.GED", "out.ged", "tree.ged"}));
    expectWarnings(1, {"out.ged already exists."});
    EXPECT_EQ(select.FileName, "D:\\Gen\\out.ged");
}

} // namespace
} // namespace fambridge
