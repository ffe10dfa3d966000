// tabloria: the desktop program.
#include "CZembrinApp.h"
#include "Interruption.h"
#include "RunShutdown.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before any thread starts. The office and Ghostscript leave their scratch files
    // in $TMPDIR: a folder of the program's own, removed when it ends.
    struct TemporaryFolder
    {
        QString path = UseRunTemporaryFolder();
        ~TemporaryFolder() { RemoveRunTemporaryFolder(path); }
    } const temporary;
    const InterruptionWatch sessionEnd(&CZembrinApp::SessionEnds);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tabloria"));
    QApplication::setQuitOnLastWindowClosed(false);
    CZembrinApp theApp;
    return theApp.InitInstance();
}
