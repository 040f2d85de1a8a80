// Kelvanetrix: the desktop program.
#include "app/cipher_app.h"
#include "batch/key_memory.h"

#include <QApplication>

int main(int argc, char** argv)
{
    batch::ForbidCoreDumps(); // the key boxes hold keys
    QApplication app(argc, argv);
    CCipherApp theApp;
    if (!theApp.InitInstance(QApplication::arguments()))
        return 0;
    return app.exec();
}
