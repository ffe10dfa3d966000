// Shows each of the program's windows and takes a picture of the screen where it
// stands, as the display server shows it (not a rendering of Qt's own):
//
//   cd build/ci/bin && xvfb-run -s '-screen 0 1024x768x24' ./tabloria-uishots ../../../docs
//
// main-files.png, main-running.png, options-description.png, options-security.png,
// options-advanced.png, about.png and finish.png land in the folder given.

#include "CAboutDlg.h"
#include "CFinishDlg.h"
#include "CZembrinDlg.h"
#include "StandardEngine.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

namespace {

QString g_folder;

void settle(int ms = 400)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void shoot(QWidget& window, const QString& name)
{
    settle();
    // The frame the window manager would add is not there under a bare X server; the
    // picture is the window's own area as the server shows it.
    const QRect area = window.frameGeometry();
    const QPixmap picture =
        window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    picture.save(g_folder + QLatin1Char('/') + name);
    QTextStream(stdout) << "uishots: " << name << '\n';
}

void press(QWidget& target, const QPoint& at)
{
    const QPointF global = target.mapToGlobal(at);
    QMouseEvent down(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&target, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&target, &up);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(g_folder);

    StandardEngine engine;
    CZembrinDlg window(engine.converters(), engine.services());
    window.Create(nullptr);
    window.move(40, 40);
    window.show();

    CListCtrlEx& list = window.convertPage().fileList();
    const QStringList samples{QStringLiteral("/home/ada/Documents/Budget 2027.xlsx"),
                              QStringLiteral("/home/ada/Documents/Quarterly figures.xls"),
                              QStringLiteral("/home/ada/Documents/Travel expenses.xlsx")};
    const QStringList sizes{QStringLiteral("38 KB"), QStringLiteral("112 KB"),
                            QStringLiteral("9 KB")};
    for (int i = 0; i < samples.size(); ++i) {
        list.InsertItem(i, samples[i]);
        list.SetItemText(i, 1, sizes[i]);
        list.SetItemText(i, 2, samples[i].section(QLatin1Char('.'), -1));
    }
    const QString folder = QStringLiteral("/home/ada/Documents/");
    SendMessageW(&window, WM_SETSAVEFOLDER, 0, StringParam(folder));
    const QString ready = QStringLiteral("Ready");
    SendMessageW(&window, WM_SETSTATUSTEXT, 0, StringParam(ready));
    shoot(window, QStringLiteral("main-files.png"));

    const QString converting = QStringLiteral("Begin Convert...");
    SendMessageW(&window, WM_SETSTATUSTEXT, 0, StringParam(converting));
    SendMessageW(&window, WM_SETPROGRESS, 1, 3);
    shoot(window, QStringLiteral("main-running.png"));

    CXPTabCtrl& strip = window.tabStrip();
    press(strip, strip.GetItemRect(1).center());
    CXPTabCtrl* inner = window.optionsPage().findChild<CXPTabCtrl*>();
    window.optionsPage().descriptionPage().SetDlgItemText(1026, QStringLiteral("Budget 2027"));
    window.optionsPage().descriptionPage().SetDlgItemText(1044, QStringLiteral("Ada Lovelace"));
    window.optionsPage().descriptionPage().SetDlgItemText(1037,
                                                          QStringLiteral("budget\r\nplanning"));
    shoot(window, QStringLiteral("options-description.png"));
    if (inner != nullptr) {
        press(*inner, inner->GetItemRect(1).center());
        shoot(window, QStringLiteral("options-security.png"));
        press(*inner, inner->GetItemRect(2).center());
        shoot(window, QStringLiteral("options-advanced.png"));
    }

    CAboutDlg about(&window);
    QTimer::singleShot(0, &about, [&about] {
        shoot(about, QStringLiteral("about.png"));
        about.done(IDOK);
    });
    about.DoModal();

    CFinishDlg finish(&window);
    finish.finishFolder = folder;
    finish.resultNames = {QStringLiteral("Travel expenses.pdf"), QStringLiteral("Budget 2027.pdf"),
                          QStringLiteral("Quarterly figures.pdf")};
    QTimer::singleShot(0, &finish, [&finish] {
        shoot(finish, QStringLiteral("finish.png"));
        finish.done(IDCANCEL);
    });
    finish.DoModal();
    return 0;
}
