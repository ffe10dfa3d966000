// A whole run through the program's windows: workbooks added on the file list page,
// a title and an owner password set on the option pages, Convert pressed; the real
// worker, LibreOffice, CUPS, the printer "Pellucor" and Ghostscript do the rest.
#include "CConvertDlg.h"
#include "CZembrinDlg.h"
#include "MessageBoxes.h"
#include "Shell.h"
#include "StandardEngine.h"

#include "E2eSupport.h"
#include "TestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class QuietShell final : public Shell
{
public:
    QStringList chooseFilesToOpen(QWidget*, const QString&) override { return nextFiles; }
    QString chooseFolder(QWidget*) override { return {}; }
    bool open(const QUrl&) override { return true; }
    void showInFolder(const QString&) override {}
    QStringList nextFiles;
};

// Keeps the window messages the main window receives, in order.
class MessageLog final : public QObject
{
public:
    QStringList statuses;
    QList<std::pair<quintptr, qintptr>> progress;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == WindowMessageEvent::eventType()) {
            auto* m = static_cast<WindowMessageEvent*>(e);
            if (m->message == WM_SETSTATUSTEXT)
                statuses << StringFromParam(m->lParam);
            if (m->message == WM_SETPROGRESS)
                progress.append({m->wParam, m->lParam});
        }
        return false;
    }
};

class WindowsTest : public E2eTest
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_e2e_windows";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr)
            new QApplication(argc, argv);
        E2eTest::SetUpTestSuite();
    }

    void click(CDialog& dialog, int id)
    {
        qobject_cast<QAbstractButton*>(dialog.GetDlgItem(id))->click();
    }
};

TEST_F(WindowsTest, TwoWorkbooksWithTitleAndOwnerPassword)
{
    REQUIRE_PELLUCOR();
    ScratchFolder folder;
    for (const char* name : {"one sheet.xlsx", "budget.xls"})
        ASSERT_TRUE(QFile::copy(fixture(name), folder.file(QString::fromUtf8(name))));
    QuietShell shell;
    SetShell(&shell);
    MessageBoxes::AnswerInAdvance({});

    StandardEngine engine;
    CZembrinDlg window(engine.converters(), engine.services());
    window.convertPage().SetRunEndHook([&engine] { engine.EndRun(); });
    ASSERT_TRUE(window.Create(nullptr));
    window.show();
    MessageLog log;
    window.installEventFilter(&log);

    shell.nextFiles = {folder.file(QStringLiteral("one sheet.xlsx")),
                       folder.file(QStringLiteral("budget.xls"))};
    click(window.convertPage(), 1011);
    CAdvanceDlg& options = window.optionsPage();
    options.descriptionPage().SetDlgItemText(1026, QStringLiteral("Quarterly report"));
    click(options.securityPage(), 1005);
    click(options.securityPage(), 1008);
    options.securityPage().SetDlgItemText(1029, QStringLiteral("owner secret"));

    // The finish dialog runs modally: it is read and closed from inside its loop.
    CFinishDlg& finish = window.convertPage().finishDialog();
    QStringList finishNames;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &finish, [&] {
        if (!finish.isVisible())
            return;
        watch.stop();
        finishNames = finish.ShownNames();
        finish.SendCommand(IDCANCEL);
    });
    watch.start(50);

    click(window, 1023);
    QElapsedTimer clock;
    clock.start();
    while (finishNames.isEmpty() && clock.elapsed() < 240000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    window.convertPage().WaitForRun();
    SetShell(nullptr);

    for (const ShownMessage& m : MessageBoxes::Shown())
        ADD_FAILURE() << "message box: " << m.text.toStdString();
    MessageBoxes::Reset();
    ASSERT_FALSE(log.statuses.isEmpty());
    EXPECT_EQ(log.statuses.first(), QStringLiteral("Ready"));
    EXPECT_EQ(log.statuses.at(1), QStringLiteral("Begin Convert"));
    EXPECT_EQ(log.statuses.last(), QStringLiteral("Over!"));
    EXPECT_EQ(log.progress, (QList<std::pair<quintptr, qintptr>>{{1, 2}, {2, 2}}));
    EXPECT_EQ(finishNames,
              (QStringList{QStringLiteral("budget.pdf"), QStringLiteral("one sheet.pdf")}));
    EXPECT_EQ(window.convertPage().fileList().GetItemCount(), 0);

    for (const char* name : {"one sheet.pdf", "budget.pdf"}) {
        SCOPED_TRACE(name);
        const QString pdf = folder.file(QString::fromUtf8(name));
        const QString info = runTool({QStringLiteral("pdfinfo"), pdf}).output;
        EXPECT_TRUE(info.contains(QStringLiteral("Title:           Quarterly report\n")))
            << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Encrypted:       yes"))) << info.toStdString();
        const QString encryption =
            runTool({QStringLiteral("qpdf"), QStringLiteral("--password=owner secret"),
                     QStringLiteral("--show-encryption"), pdf})
                .output;
        EXPECT_TRUE(encryption.contains(QStringLiteral("R = 2\n"))) << encryption.toStdString();
        EXPECT_TRUE(encryption.contains(QStringLiteral("owner password: owner secret")) ||
                    encryption.contains(QStringLiteral("Supplied password is owner password")))
            << encryption.toStdString();
    }
}

} // namespace
