#include "private_home.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// Tests below the windows still start processes and rerun themselves as another user, which needs the
// application object's idea of its own program file.
int main(int argc, char* argv[]) {
    const fambridge::testing::PrivateHome home;
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
