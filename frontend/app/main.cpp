#include <QApplication>

#include "app/mainwindow.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    int result = 0;
    {
        MainWindow window;
        window.show();
        result = QApplication::exec();
    }
    return result;
}
