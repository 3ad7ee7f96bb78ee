#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    // Build steps list these tests without a display; a widget test never needs a real one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
