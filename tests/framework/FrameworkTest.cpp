#include "CDialog.h"
#include "DataExchange.h"
#include "FrameworkPrompter.h"
#include "MessageBoxes.h"
#include "WindowMessages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {

// A security-style page whose members are bound to its controls.
class BoundPage final : public CDialog
{
public:
    BoundPage() : CDialog(133) {}

    int security = 0;
    int owner = 0;
    int level = 0;
    QString password;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Check(pDX, 1005, security);
        DDX_Check(pDX, 1008, owner);
        DDX_Radio(pDX, 1018, level);
        DDX_Text(pDX, 1020, password);
    }
};

class ReplacingButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;
};

// Records what reaches it: commands, timers, messages and pre-translated messages.
class RecordingDialog final : public CDialog
{
public:
    explicit RecordingDialog(int templateId) : CDialog(templateId) {}

    ReplacingButton browse;
    QList<int> commands;
    QList<int> timers;
    QList<UINT> preTranslated;
    QList<QObject*> preTranslatedTargets;
    QString statusText;
    std::atomic<Qt::HANDLE> handledOn{nullptr};

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        if (GetDlgItem(1022) != nullptr)
            DDX_Control(pDX, 1022, browse);
    }
    void OnCommand(int id, int notifyCode) override
    {
        commands.append(id);
        CDialog::OnCommand(id, notifyCode);
    }
    void OnTimer(int id) override { timers.append(id); }
    bool PreTranslateMessage(MSG* pMsg) override
    {
        preTranslated.append(pMsg->message);
        preTranslatedTargets.append(pMsg->hwnd);
        return false;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        handledOn = QThread::currentThreadId();
        if (message == WM_SETSTATUSTEXT)
            statusText = StringFromParam(lParam);
        if (message == WM_SETPROGRESS)
            return static_cast<LRESULT>(wParam) * 100 + lParam;
        return 0;
    }
};

} // namespace

class FrameworkTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { MessageBoxes::Reset(); }

    void everyTemplateLoads_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("pixels");
        // 8-point dialogs: 6 x 13 base units; the about box: 7 x 15.
        QTest::newRow("main window") << 102 << QSize(674, 535);
        QTest::newRow("file list page") << 130 << QSize(786, 640);
        QTest::newRow("security") << 133 << QSize(623, 247);
        QTest::newRow("advanced") << 134 << QSize(623, 263);
        QTest::newRow("description") << 135 << QSize(630, 229);
        QTest::newRow("finish") << 136 << QSize(372, 174);
        QTest::newRow("options") << 160 << QSize(903, 293);
        QTest::newRow("about") << 100 << QSize(380, 308);
    }
    void everyTemplateLoads()
    {
        QFETCH(int, id);
        QFETCH(QSize, pixels);
        const std::optional<DialogTemplate> t = LoadDialogTemplate(id);
        QVERIFY(t.has_value());
        QCOMPARE(t->id, id);
        QCOMPARE(t->mapDialogSize(t->size), pixels);
        for (const ControlTemplate& c : t->controls)
            QVERIFY2(!c.rect.isNull() || c.rect.width() == 0, qPrintable(QString::number(c.id)));
    }

    void controlsSitAtTheirPixelRectangles_data()
    {
        QTest::addColumn<int>("templateId");
        QTest::addColumn<int>("controlId");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("file list") << 130 << 1009 << QRect(6, 39, 554, 128);
        QTest::newRow("Add file(s)") << 130 << 1011 << QRect(585, 39, 75, 23);
        QTest::newRow("separator, one unit high") << 130 << 1028 << QRect(9, 390, 603, 2);
        QTest::newRow("user password") << 133 << 1020 << QRect(27, 55, 152, 23);
        QTest::newRow("keywords") << 135 << 1037 << QRect(300, 11, 261, 121);
        QTest::newRow("about OK, 9-point units") << 100 << 1078 << QRect(245, 268, 88, 26);
    }
    void controlsSitAtTheirPixelRectangles()
    {
        QFETCH(int, templateId);
        QFETCH(int, controlId);
        QFETCH(QRect, pixels);
        QWidget host;
        CDialog dialog(templateId);
        QVERIFY(dialog.Create(&host));
        QWidget* control = dialog.GetDlgItem(controlId);
        QVERIFY(control != nullptr);
        QCOMPARE(control->geometry(), pixels);
        QCOMPARE(control->objectName(), QString::number(controlId));
    }

    void dataExchangeGoesBothWays()
    {
        QWidget host;
        BoundPage page;
        QVERIFY(page.Create(&host));
        page.security = 1;
        page.level = 1;
        page.password = QStringLiteral("s3cret");
        page.UpdateData(false);
        QVERIFY(qobject_cast<QCheckBox*>(page.GetDlgItem(1005))->isChecked());
        QVERIFY(!qobject_cast<QCheckBox*>(page.GetDlgItem(1008))->isChecked());
        QVERIFY(qobject_cast<QRadioButton*>(page.GetDlgItem(1019))->isChecked());
        QVERIFY(!qobject_cast<QRadioButton*>(page.GetDlgItem(1018))->isChecked());
        QCOMPARE(qobject_cast<QLineEdit*>(page.GetDlgItem(1020))->text(), QStringLiteral("s3cret"));
        QCOMPARE(qobject_cast<QLineEdit*>(page.GetDlgItem(1020))->echoMode(), QLineEdit::Password);

        qobject_cast<QCheckBox*>(page.GetDlgItem(1008))->setChecked(true);
        qobject_cast<QRadioButton*>(page.GetDlgItem(1018))->setChecked(true);
        qobject_cast<QLineEdit*>(page.GetDlgItem(1020))->setText(QStringLiteral("other"));
        page.UpdateData(true);
        QCOMPARE(page.owner, 1);
        QCOMPARE(page.level, 0);
        QCOMPARE(page.password, QStringLiteral("other"));
        // One radio group: checking one clears the other.
        QVERIFY(!qobject_cast<QRadioButton*>(page.GetDlgItem(1019))->isChecked());
    }

    void multiLineTextKeepsCrLfLineBreaks()
    {
        QWidget host;
        CDialog page(135);
        QVERIFY(page.Create(&host));
        qobject_cast<QPlainTextEdit*>(page.GetDlgItem(1037))
            ->setPlainText(QStringLiteral("one\ntwo"));
        QString keywords;
        CDataExchange in(&page, true);
        DDX_Text(&in, 1037, keywords);
        QCOMPARE(keywords, QStringLiteral("one\r\ntwo"));
        CDataExchange out(&page, false);
        DDX_Text(&out, 1037, keywords);
        QCOMPARE(qobject_cast<QPlainTextEdit*>(page.GetDlgItem(1037))->toPlainText(),
                 QStringLiteral("one\ntwo"));
    }

    void controlMemberTakesThePlaceOfTheTemplateControl()
    {
        QWidget host;
        RecordingDialog main(102);
        QVERIFY(main.Create(&host));
        QCOMPARE(main.GetDlgItem(1022), &main.browse);
        QCOMPARE(main.browse.geometry(), main.MapDialogRect(QRect(340, 223, 63, 14)));
        QCOMPARE(main.browse.text(), QStringLiteral("Browse"));
        int named = 0;
        for (QWidget* w : main.findChildren<QWidget*>())
            named += w->objectName() == QStringLiteral("1022") ? 1 : 0;
        QCOMPARE(named, 1);
        main.UpdateData(false); // a second exchange leaves the member in place
        QCOMPARE(main.GetDlgItem(1022), &main.browse);
        host.show();
        QTest::mouseClick(&main.browse, Qt::LeftButton);
        QCOMPARE(main.commands, QList<int>{1022});
    }

    void sendFromAnotherThreadIsHandledOnTheInterfaceThread()
    {
        QWidget host;
        RecordingDialog main(102);
        QVERIFY(main.Create(&host));
        const Qt::HANDLE uiThread = QThread::currentThreadId();
        std::atomic<bool> sent{false};
        LRESULT answer = 0;
        QString seenBySender;
        QThread* worker = QThread::create([&] {
            const QString text = QStringLiteral("Begin Convert");
            SendMessageW(&main, WM_SETSTATUSTEXT, 0, StringParam(text));
            seenBySender = main.statusText; // handled before the send returned
            answer = SendMessageW(&main, WM_SETPROGRESS, 3, 10);
            sent = true;
        });
        worker->start();
        QTRY_VERIFY(sent.load());
        worker->wait();
        delete worker;
        QCOMPARE(seenBySender, QStringLiteral("Begin Convert"));
        QCOMPARE(answer, LRESULT(310));
        QCOMPARE(main.handledOn.load(), uiThread);
        // From the interface thread itself the send is a direct call.
        QCOMPARE(SendMessageW(&main, WM_SETPROGRESS, 1, 2), LRESULT(102));
    }

    void postQueuesAndPassesThroughPreTranslation()
    {
        QWidget host;
        RecordingDialog page(130);
        QVERIFY(page.Create(&host));
        PostMessage(&page, WM_FILESDROPPED, 0, 0);
        QVERIFY(!page.preTranslated.contains(WM_FILESDROPPED));
        QTRY_VERIFY(page.preTranslated.contains(WM_FILESDROPPED));
    }

    void mousePressReachesPreTranslationOnce()
    {
        RecordingDialog page(130);
        QVERIFY(page.Create(nullptr));
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QWidget* heading = page.GetDlgItem(1074);
        QTest::mousePress(heading, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(page.preTranslated.count(WM_LBUTTONDOWN), 1);
        QCOMPARE(page.preTranslatedTargets.last(), heading);
        QTest::mouseRelease(heading, Qt::LeftButton, {}, QPoint(3, 3));
    }

    void timersRunByIdentifier()
    {
        QWidget host;
        RecordingDialog page(130);
        QVERIFY(page.Create(&host));
        page.SetTimer(1, 5);
        QTRY_VERIFY(page.timers.count(1) >= 2);
        QVERIFY(!page.timers.contains(2));
        QThread* worker = QThread::create([&] {
            page.KillTimer(1);
            page.SetTimer(2, 5);
        });
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        delete worker;
        QVERIFY(!page.IsTimerRunning(1));
        QTRY_VERIFY(page.timers.contains(2));
    }

    void escapeCancelsAndEnterPressesTheDefaultButton()
    {
        RecordingDialog finish(136);
        QTimer::singleShot(0, &finish, [&] {
            QTest::keyClick(&finish, Qt::Key_Return);
            QTest::keyClick(&finish, Qt::Key_Escape);
        });
        QCOMPARE(finish.DoModal(), IDCANCEL);
        QCOMPARE(finish.commands, (QList<int>{1046, IDCANCEL}));
        QCOMPARE(finish.windowTitle(), QString());
    }

    void boxesAreAnsweredInAdvance()
    {
        MessageBoxes::AnswerInAdvance({MessageAnswer::Yes});
        QCOMPARE(ShowMessageBox(QStringLiteral("Replace it?"), MessageButtons::YesNo),
                 MessageAnswer::Yes);
        // Nothing left: questions get No, OK boxes Ok.
        QCOMPARE(ShowMessageBox(QStringLiteral("Again?"), MessageButtons::YesNo),
                 MessageAnswer::No);
        ShowMessageBox(QStringLiteral("please choose one file !"), MessageButtons::Ok,
                       MessageIcon::Stop, QStringLiteral("ERROR"));
        ShowMessageBox(QStringLiteral("No File!"));
        const QList<ShownMessage> shown = MessageBoxes::Shown();
        QCOMPARE(shown.size(), 4);
        QCOMPARE(shown[0].caption, QStringLiteral("Tabloria"));
        QCOMPARE(shown[0].icon, MessageIcon::Question);
        QCOMPARE(shown[2].caption, QStringLiteral("ERROR"));
        QCOMPARE(shown[2].icon, MessageIcon::Stop);
        QCOMPARE(shown[3].icon, MessageIcon::Exclamation);
    }

    void prompterAsksFromTheWorker()
    {
        MessageBoxes::AnswerInAdvance({MessageAnswer::No});
        FrameworkPrompter prompter;
        Prompter& seam = prompter;
        MessageAnswer answer = MessageAnswer::Ok;
        QThread* worker = QThread::create([&] {
            answer = seam.showMessage(QStringLiteral("Overwrite?"), MessageButtons::YesNo);
        });
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        delete worker;
        QCOMPARE(answer, MessageAnswer::No);
        QCOMPARE(MessageBoxes::Shown().value(0).text, QStringLiteral("Overwrite?"));
    }

    void controlColourHookSetsBrushesTextAndFonts()
    {
        class Coloured final : public CDialog
        {
        public:
            Coloured() : CDialog(130) {}

        protected:
            CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind) override
            {
                if (kind == CtlColor::Dlg)
                    return CtlColorBrush::Solid(QColor(224, 234, 246));
                if (control->objectName() == QStringLiteral("1074")) {
                    dc.textColor = Qt::red;
                    dc.font = QFont(QStringLiteral("DejaVu Sans"), 20);
                    dc.transparent = true;
                    return CtlColorBrush::Null();
                }
                return CtlColorBrush::Default();
            }
        };
        QWidget host;
        Coloured page;
        QVERIFY(page.Create(&host));
        QCOMPARE(page.palette().color(QPalette::Window), QColor(224, 234, 246));
        QVERIFY(page.autoFillBackground());
        QWidget* heading = page.GetDlgItem(1074);
        QCOMPARE(heading->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(heading->font().pointSize(), 20);
        QVERIFY(!heading->autoFillBackground());
    }
};

QTEST_MAIN(FrameworkTest)
#include "FrameworkTest.moc"
