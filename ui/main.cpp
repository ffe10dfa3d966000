// tabloria: the desktop program.
#include "CZembrinApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tabloria"));
    QApplication::setQuitOnLastWindowClosed(false);
    CZembrinApp theApp;
    return theApp.InitInstance();
}
