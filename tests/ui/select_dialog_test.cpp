#include "window_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace fambridge {
namespace {

// Plays the user at Qt's real file dialog: each time a new modal window is up, the next step acts on it.
class ModalScript : public QObject {
public:
    using Step = std::function<void(QWidget* modal)>;

    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)), m_deadline(10000) {
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::tick);
        m_timer.start(20);
    }
    bool finished() const { return m_next == m_steps.size(); }

private:
    void tick() {
        QWidget* modal = QApplication::activeModalWidget();
        // A step that never comes must fail the test, not leave it waiting on a modal window.
        if (m_deadline.hasExpired()) {
            m_timer.stop();
            ADD_FAILURE() << "the script stopped at step " << m_next;
            while (QWidget* open = QApplication::activeModalWidget())
                open->close();
            return;
        }
        if (!modal || modal == m_lastModal || finished())
            return;
        m_lastModal = modal;
        // Run the step from the event loop rather than from this timer: a step that opens a modal window
        // would otherwise hold this timer, which Qt never fires inside its own slot, until it closes.
        QTimer::singleShot(0, this, [this, step = m_steps[m_next++], modal] { step(modal); });
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QWidget* m_lastModal = nullptr;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
};

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
        WindowFixture::SetUp();
        start();
        form().SelectDialog.setRunner(std::make_unique<QtFileDialogRunner>(drives.fileSystem()));
    }
};

TEST_F(SelectDialogTest, NameTypedWithoutExtensionGetsGedAndComesBackAsADosPath) {
    drives.makeFolder('D', "Out");
    form().SelectDialog.InitDir = "d:\\out";
    ModalScript script({[](QWidget* modal) { typeName(modal, "family"); }});
    form().SelectDialog.Flags = 32774;
    form().SelectDialog.ShowSave();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(form().SelectDialog.FileName, "D:\\Out\\family.GED");
}

TEST_F(SelectDialogTest, GedFilterShowsUpperCaseNamesToo) {
    drives.makeFile('D', "Gen/TREE.GED");
    drives.makeFile('D', "Gen/notes.txt");
    form().SelectDialog.InitDir = "D:\\Gen";
    form().SelectDialog.Flags = 4100;
    QStringList shown;
    ModalScript script({[&shown](QWidget* modal) {
        auto* view = modal->findChild<QAbstractItemView*>("listView");
        ASSERT_NE(view, nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(view->model()->rowCount(view->rootIndex()) > 0, 5000);
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            shown.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
        typeName(modal, "TREE.GED");
    }});
    form().SelectDialog.ShowOpen();
    EXPECT_EQ(shown, QStringList({"TREE.GED"}));
    EXPECT_EQ(form().SelectDialog.FileName, "D:\\Gen\\TREE.GED");
}

// The first name is refused with a message box; once it is closed the dialog is back and takes another.
ModalScript refuseThenRetry(const QString& refused, QString& message, const QString& retried) {
    return ModalScript({
        [refused](QWidget* modal) { typeName(modal, refused); },
        [&message](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr) << "expected a message, found " << modal->metaObject()->className();
            message = box->text();
            box->button(QMessageBox::Ok)->click();
        },
        [retried](QWidget* modal) { typeName(modal, retried); },
    });
}

TEST_F(SelectDialogTest, OpenRefusesANameThatDoesNotExist) {
    drives.makeFile('D', "Gen/tree.ged");
    form().SelectDialog.InitDir = "D:\\Gen";
    form().SelectDialog.Flags = 4100;
    QString refusal;
    ModalScript script = refuseThenRetry("missing.ged", refusal, "tree.ged");
    form().SelectDialog.ShowOpen();
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(refusal.contains("missing.ged")) << refusal.toStdString();
    EXPECT_EQ(form().SelectDialog.FileName, "D:\\Gen\\tree.ged");
}

TEST_F(SelectDialogTest, SaveRefusesAReadOnlyFileAndLetsTheUserChooseAgain) {
    const QString readOnly = drives.makeFile('D', "Out/locked.ged");
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadOther);
    form().SelectDialog.InitDir = "D:\\Out";
    form().SelectDialog.Flags = 32774;
    QString refusal;
    ModalScript script = refuseThenRetry("locked.ged", refusal, "fresh");
    form().SelectDialog.ShowSave();
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(refusal.contains("read-only")) << refusal.toStdString();
    EXPECT_EQ(form().SelectDialog.FileName, "D:\\Out\\fresh.GED");
}

TEST_F(SelectDialogTest, SaveAsksBeforeReplacingAnExistingFile) {
    drives.makeFile('D', "Out/family.ged");
    form().SelectDialog.InitDir = "D:\\Out";
    form().SelectDialog.Flags = 32774;
    QString question;
    ModalScript script({
        [](QWidget* modal) { typeName(modal, "family.ged"); },
        [&question](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            question = box->text();
            box->button(QMessageBox::Yes)->click();
        },
    });
    form().SelectDialog.ShowSave();
    EXPECT_TRUE(question.contains("family.ged")) << question.toStdString();
    EXPECT_EQ(form().SelectDialog.FileName, "D:\\Out\\family.ged");
}

} // namespace
} // namespace fambridge
