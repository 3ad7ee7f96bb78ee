#include "private_home.h"
#include "ui/messages.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    // Build steps list these tests without a display; a widget test never needs a real one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const fambridge::testing::PrivateHome home;
    QApplication application(argc, argv);
    // No widget test may wait on a message box: each is recorded and answered at once.
    fambridge::MessageBox::answerWithoutShowing();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
