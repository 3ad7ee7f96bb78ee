#include "window_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
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

void typeName(QWidget* modal, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << "expected the file dialog, found " << modal->metaObject()->className();
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(dialog->isVisible()) << "the dialog closed before " << name.toStdString() << " was typed";
    // The dialog drops an earlier pick from its list only while the user types into a focused name field.
    QApplication::setActiveWindow(dialog);
    edit->setFocus();
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
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

// Qt matches name filters case-sensitively on this host; the dialog must not. The missing file and the
// overwrite question are Qt's own checks, switched on by the flags the commands' tests pin; refusing a
// read-only file is this program's.
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

} // namespace
} // namespace fambridge
