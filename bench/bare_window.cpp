// The floors that start-up time and memory are measured against: a Qt Widgets program that shows one
// empty window and does nothing else, or, given --text, one line of text and nothing else. The second
// shows what drawing any text at all costs: fontconfig's set-up, the font files and the text code.

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QWidget empty;
    QLabel line(QStringLiteral("Famlore Conversion Utility"));
    QWidget& window = text ? static_cast<QWidget&>(line) : empty;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.show();
    return QApplication::exec();
}
