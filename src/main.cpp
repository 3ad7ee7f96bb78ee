#include "ui/program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Answered before the application object is made, which would need a display.
    if (const auto answered = fambridge::answerCommandLine(argc, argv))
        return *answered;
    QApplication application(argc, argv);
    return fambridge::Main();
}
