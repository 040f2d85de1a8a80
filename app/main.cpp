// Kelvanetrix: the desktop program.
#include "app/cipher_app.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CCipherApp theApp;
    if (!theApp.InitInstance(QApplication::arguments()))
        return 0;
    return app.exec();
}
