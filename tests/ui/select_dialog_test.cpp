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
            timer.stop();
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
    // The dialog drops an earlier pick from its list only while the user types into a focused name field.
    QApplication::setActiveWindow(dialog);
    edit->setFocus();
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

class SelectDialogTest : public testing::WindowFixture {
protected:
    void SetUp() override {
        start();
        form().SelectDialog.setRunner(std::make_unique<QtFileDialogRunner>(drives.fileSystem()));
    }
    CommonDialog& select() { return form().SelectDialog; }
};

TEST_F(SelectDialogTest, NameTypedWithoutExtensionGetsGedAndComesBackAsADosPath) {
    drives.makeFolder('D', "Out");
    select().InitDir = "d:\\out";
    select().Flags = 32774;
    EXPECT_TRUE(playUser({[](QWidget* modal) { typeName(modal, "family"); }}, [&] { select().ShowSave(); }));
    EXPECT_EQ(select().FileName, "D:\\Out\\family.GED");
}

TEST_F(SelectDialogTest, GedFilterShowsUpperCaseNamesToo) {
    drives.makeFile('D', "Gen/TREE.GED");
    drives.makeFile('D', "Gen/notes.txt");
    select().InitDir = "D:\\Gen";
    select().Flags = 4100;
    QStringList shown;
    const Step look = [&shown](QWidget* modal) {
        auto* view = modal->findChild<QAbstractItemView*>("listView");
        ASSERT_NE(view, nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(view->model()->rowCount(view->rootIndex()) > 0, 5000);
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            shown.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
        typeName(modal, "TREE.GED");
    };
    EXPECT_TRUE(playUser({look}, [&] { select().ShowOpen(); }));
    EXPECT_EQ(shown, QStringList({"TREE.GED"}));
    EXPECT_EQ(select().FileName, "D:\\Gen\\TREE.GED");
}

// Each case types a name the dialog must question, answers the message box, and types another name when
// the dialog comes back.
TEST_F(SelectDialogTest, RefusalsAndTheOverwriteQuestionNameTheProblemAndLetTheUserGoOn) {
    QFile::setPermissions(drives.makeFile('D', "Gen/locked.ged"), QFile::ReadOwner | QFile::ReadOther);
    drives.makeFile('D', "Gen/tree.ged");
    drives.makeFile('D', "Gen/family.ged");
    struct Case {
        bool save;
        QString typed;
        QMessageBox::StandardButton answer;
        QString retyped; // empty: the answer ends the dialog
        QString named;
        QString chosen;
    };
    const Case cases[] = {
        {false, "missing.ged", QMessageBox::Ok, "tree.ged", "missing.ged", "D:\\Gen\\tree.ged"},
        {true, "locked.ged", QMessageBox::Ok, "fresh", "read-only", "D:\\Gen\\fresh.GED"},
        {true, "family.ged", QMessageBox::Yes, "", "family.ged", "D:\\Gen\\family.ged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        select().FileName.clear();
        select().InitDir = "D:\\Gen";
        select().Flags = c.save ? 32774 : 4100;
        QString message;
        std::vector<Step> steps = {
            [&](QWidget* modal) { typeName(modal, c.typed); },
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr) << "expected a message, found " << modal->metaObject()->className();
                message = box->text();
                ASSERT_NE(box->button(c.answer), nullptr) << message.toStdString();
                box->button(c.answer)->click();
            },
        };
        if (!c.retyped.isEmpty())
            steps.push_back([&](QWidget* modal) { typeName(modal, c.retyped); });
        EXPECT_TRUE(playUser(steps, [&] { c.save ? select().ShowSave() : select().ShowOpen(); }));
        EXPECT_TRUE(message.contains(c.named)) << message.toStdString();
        EXPECT_EQ(select().FileName, c.chosen);
    }
}

} // namespace
} // namespace fambridge
