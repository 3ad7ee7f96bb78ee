#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget placeholder;
    placeholder.setWindowTitle(QStringLiteral("Famlore Conversion Utility"));
    placeholder.show();
    return application.exec();
}
