// Tables of file names and texts read best as plain literals here.
#undef QT_NO_CAST_FROM_ASCII
#undef QT_NO_CAST_TO_ASCII

#include "AutomationRegistry.h"
#include "CAboutDlg.h"
#include "CAdvanceDlg.h"
#include "CConvertDlg.h"
#include "CFinishDlg.h"
#include "CZembrinApp.h"
#include "CZembrinDlg.h"
#include "Fakes.h"
#include "MainWindowSkin.h"
#include "MessageBoxes.h"
#include "Pacing.h"
#include "Shell.h"
#include "TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

// The desktop as the tests see it: choosers answered in advance, opened addresses kept.
class RecordingShell final : public Shell
{
public:
    QStringList chooseFilesToOpen(QWidget*, const QString& filter) override
    {
        lastFilter = filter;
        return nextFiles;
    }
    QString chooseFolder(QWidget*) override { return nextFolder; }
    bool open(const QUrl& url) override
    {
        opened << url;
        return true;
    }
    void showInFolder(const QString& path) override { shown << path; }

    QStringList nextFiles;
    QString nextFolder;
    QString lastFilter;
    QList<QUrl> opened;
    QStringList shown;
};

// A converter that can be held in the middle of a file, so that a test can try the
// windows while a run is under way. Each file it converts becomes a small PDF.
class GatedConverter
{
public:
    ConverterResult convert(const ConversionTarget& target, const QString& source)
    {
        {
            std::unique_lock lock(m_mutex);
            ++m_entered;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_open; });
        }
        ConverterResult result;
        result.outputPath = target.destinationFolder + QLatin1Char('/') +
                            QFileInfo(source).completeBaseName() + QStringLiteral(".pdf");
        if (source.contains(QLatin1String("broken"))) {
            result.failure = QStringLiteral("the workbook does not open");
            return result;
        }
        writeFile(result.outputPath, "%PDF-1.4\n");
        result.written = true;
        seenTitles << target.settings.title;
        return result;
    }
    void hold()
    {
        std::lock_guard lock(m_mutex);
        m_open = false;
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    int entered()
    {
        std::lock_guard lock(m_mutex);
        return m_entered;
    }
    QStringList seenTitles;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = true;
    int m_entered = 0;
};

// The main window over fake converters and services, shown like the real one.
struct Harness
{
    Harness()
    {
        converters.excel = [this](const ConversionTarget& t, const QString& s, ConverterServices&) {
            return gate.convert(t, s);
        };
        converters.word = converters.excel;
        dialog.emplace(converters, services);
        // As DoModal builds it, but without a nested event loop, so that the test
        // drives the window from here.
        dialog->Create(nullptr);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*dialog));
    }
    ~Harness()
    {
        gate.release();
        dialog->convertPage().WaitForRun();
        if (dialog->isVisible())
            dialog->done(IDCANCEL);
    }

    QLineEdit* mainEdit(int id) { return qobject_cast<QLineEdit*>(dialog->GetDlgItem(id)); }
    QString statusText() { return dialog->GetDlgItemText(1055); }
    CListCtrlEx& list() { return dialog->convertPage().fileList(); }
    CSecurityDlg& security() { return dialog->optionsPage().securityPage(); }
    void click(CDialog& page, int id)
    {
        qobject_cast<QAbstractButton*>(page.GetDlgItem(id))->click();
    }
    void addRows(const QStringList& paths)
    {
        for (const QString& p : paths) {
            const int row = list().GetItemCount();
            list().InsertItem(row, p);
            list().SetItemText(row, 2, QFileInfo(p).suffix());
        }
    }
    QStringList rows()
    {
        QStringList r;
        for (int i = 0; i < list().GetItemCount(); ++i)
            r << list().GetItemText(i, 0);
        return r;
    }
    QStringList shownTexts()
    {
        QStringList texts;
        for (const ShownMessage& m : MessageBoxes::Shown())
            texts << m.text;
        return texts;
    }

    ScratchFolder work;
    FakeProcessRunner runner;
    FakeSpooler spooler;
    FakePrompter prompter;
    ImmediatePacing pacing;
    AutomationRegistry registry;
    ConverterServices services{runner, spooler, prompter, pacing, registry, work.path(), QString()};
    GatedConverter gate;
    ConverterTable converters;
    std::optional<CZembrinDlg> dialog;
};

QMimeData* fileUrls(const QStringList& paths)
{
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    mime->setUrls(urls);
    return mime;
}

void dropOn(CListCtrlEx& list, const QStringList& paths)
{
    std::unique_ptr<QMimeData> mime(fileUrls(paths));
    const QPointF at(20, 20);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &drop);
}

} // namespace

class UiTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SetShell(&shell); }
    void init()
    {
        MessageBoxes::Reset();
        MessageBoxes::AnswerInAdvance({});
        shell = RecordingShell();
    }
    void cleanupTestCase() { SetShell(nullptr); }

    // The window and its skin: size, shape, layout, and the pictures where they belong.
    void mainWindowLayout()
    {
        Harness h;
        CZembrinDlg& d = *h.dialog;
        QCOMPARE(d.size(), QSize(774, 500));
        QCOMPARE(d.windowTitle(), QStringLiteral("Tabloria"));
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        const QRegion shape = d.mask();
        QVERIFY(!shape.contains(QPoint(0, 0)));
        QVERIFY(!shape.contains(QPoint(773, 499)));
        QVERIFY(shape.contains(QPoint(4, 0)) && shape.contains(QPoint(0, 4)) &&
                shape.contains(QPoint(387, 250)));
        QCOMPARE(d.GetDlgItem(1062)->geometry(), QRect(698, 2, 26, 17));
        QCOMPARE(d.GetDlgItem(1061)->geometry(), QRect(724, 2, 42, 17));
        QCOMPARE(d.GetDlgItem(1052)->geometry(), QRect(153, 59, 92, 36));
        QCOMPARE(d.GetDlgItem(1035)->geometry(), QRect(393, 59, 92, 39));
        QCOMPARE(d.GetDlgItem(1030)->geometry(), QRect(512, 59, 94, 39));
        QCOMPARE(d.GetDlgItem(1023)->size(), QSize(130, 39));
        QCOMPARE(d.GetDlgItem(1022)->size(), QSize(80, 23));
        QCOMPARE(d.tabStrip().geometry(), QRect(9, 103, 756, 35));
        QCOMPARE(d.convertPage().geometry(), QRect(17, 138, 739, 181));
        QCOMPARE(d.optionsPage().geometry(), QRect(17, 138, 739, 181));
        QCOMPARE(d.tabStrip().count(), 2);
        QCOMPARE(d.tabStrip().tabText(0), QStringLiteral("File(s) List"));
        QCOMPARE(d.GetDlgItemText(1055), QStringLiteral("Not Started."));

        // Five separators, 120 pixels apart from x = 139: each shows the separator
        // picture while the toolbar band shows beside it.
        MainWindowSkin skin;
        skin.Load();
        const QImage shot = d.grab().toImage();
        const QImage separator = skin.separator.scaled(2, 50);
        for (int i = 0; i < 5; ++i) {
            const QRect s = MainWindowLayout::Separator(d.rect(), i);
            QCOMPARE(s.topLeft(), QPoint(139 + 120 * i, 53));
            QCOMPARE(shot.pixel(s.left(), s.top() + 25), separator.pixel(0, 25));
        }
        // The toolbar band is a plain copy of its picture's slices.
        QCOMPARE(shot.pixel(10, 80), skin.toolbar.pixel(1, 27));
        // The destination panel's rule: RGB(99,142,201) along its top.
        QCOMPARE(QColor(shot.pixel(400, 500 - 175)), QColor(99, 142, 201));
        QCOMPARE(QColor(shot.pixel(700, 500 - 112)), QColor(211, 228, 250));
    }

    // The three messages of the page and the worker.
    void windowMessages()
    {
        Harness h;
        const QString text = QStringLiteral("Begin Convert...");
        SendMessageW(&*h.dialog, WM_SETSTATUSTEXT, 0, StringParam(text));
        QCOMPARE(h.statusText(), text);
        SendMessageW(&*h.dialog, WM_SETPROGRESS, 3, 10);
        QCOMPARE(h.dialog->progressBar().showBar.load(), 1);
        QCOMPARE(h.dialog->progressBar().FilledWidth(300), 90);
        const QString folder = QStringLiteral("/srv/out/");
        SendMessageW(&*h.dialog, WM_SETSAVEFOLDER, 0, StringParam(folder));
        QCOMPARE(h.dialog->progressBar().showBar.load(), 0);
        QCOMPARE(h.mainEdit(1021)->text(), folder);
    }

    void passwordChecks_data()
    {
        QTest::addColumn<bool>("security");
        QTest::addColumn<bool>("userOn");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("ownerOn");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("ownerCheckedAfter");
        QTest::newRow("owner on and empty, security off") << false << false << "" << true << ""
                                                          << "Please Input OwnerPassword" << true;
        QTest::newRow("user on and empty") << true << true << "" << true << "o"
                                           << "Please Input UserPassword" << true;
        QTest::newRow("user typed, owner empty and off") << true << true << "u" << false << ""
                                                         << "Please Input OwnerPassword" << true;
        QTest::newRow("both typed: the page's own checks follow")
            << true << true << "u" << true << "o"
            << "No Word or Excel File" << true;
        QTest::newRow("no passwords") << false << false << "" << false << ""
                                      << "No Word or Excel File" << false;
    }
    void passwordChecks()
    {
        QFETCH(bool, security);
        QFETCH(bool, userOn);
        QFETCH(QString, user);
        QFETCH(bool, ownerOn);
        QFETCH(QString, owner);
        QFETCH(QString, message);
        QFETCH(bool, ownerCheckedAfter);
        Harness h;
        CSecurityDlg& s = h.security();
        // The switches are set as a user could leave them (security may be off while
        // an owner switch stayed on only by data, as the checks read members).
        s.CheckDlgButton(1005, security);
        s.CheckDlgButton(1007, userOn);
        s.CheckDlgButton(1008, ownerOn);
        s.SetDlgItemText(1020, user);
        s.SetDlgItemText(1029, owner);
        h.dialog->SendCommand(1023);
        QCOMPARE(h.shownTexts(), QStringList{message});
        QCOMPARE(s.IsDlgButtonChecked(1008) != 0, ownerCheckedAfter);
        if (userOn && !user.isEmpty() && owner.isEmpty())
            QVERIFY(s.GetDlgItem(1029)->isEnabled());
    }

    // The security page's state table, click by click.
    void securityStates()
    {
        Harness h;
        CSecurityDlg& s = h.security();
        const auto enabled = [&s](int id) { return s.GetDlgItem(id)->isEnabled(); };
        const QList<int> below{1007, 1008, 1010, 1012, 1014, 1016, 1018, 1019};
        QVERIFY(enabled(1005));
        for (int id : below)
            QVERIFY2(!enabled(id), qPrintable(QString::number(id)));
        QVERIFY(!enabled(1020) && !enabled(1029));
        QCOMPARE(s.IsDlgButtonChecked(1018), 1);
        QVERIFY(qobject_cast<QLineEdit*>(s.GetDlgItem(1020))->echoMode() == QLineEdit::Password);

        h.click(s, 1005); // security on, no password
        for (int id : below)
            QVERIFY(enabled(id));
        QVERIFY(!enabled(1020) && !enabled(1029));
        QCOMPARE(s.securityEnabled, 1);

        h.click(s, 1010);
        h.click(s, 1019);
        h.click(s, 1007); // user password on: both switches and both edits
        QCOMPARE(s.IsDlgButtonChecked(1008), 1);
        QVERIFY(enabled(1020) && enabled(1029));
        QCOMPARE(s.userPasswordEnabled, 1);
        QCOMPARE(s.ownerPasswordEnabled, 1);
        s.SetDlgItemText(1020, QStringLiteral("reader"));

        h.click(s, 1008); // owner off with user on: user stays, owner edit greyed
        QCOMPARE(s.IsDlgButtonChecked(1007), 1);
        QVERIFY(!enabled(1029));

        h.click(s, 1007); // user off: both cleared, typed passwords kept
        QCOMPARE(s.IsDlgButtonChecked(1007) + s.IsDlgButtonChecked(1008), 0);
        QVERIFY(!enabled(1020) && !enabled(1029));
        QCOMPARE(s.GetDlgItemText(1020), QStringLiteral("reader"));

        h.click(s, 1008); // owner only
        QVERIFY(enabled(1029) && !enabled(1020));

        h.click(s, 1005); // security off: everything greyed, switches cleared
        for (int id : below)
            QVERIFY(!enabled(id));
        QCOMPARE(s.ownerPasswordEnabled + s.userPasswordEnabled, 0);
        h.click(s, 1005); // on again: switches stay off, boxes and level kept
        QCOMPARE(s.IsDlgButtonChecked(1008), 0);
        QCOMPARE(s.IsDlgButtonChecked(1010), 1);
        QCOMPARE(s.IsDlgButtonChecked(1019), 1);
        QCOMPARE(s.encryptionLevel, 1);
    }

    void advancedLists()
    {
        Harness h;
        CAdvancedDlg& a = h.dialog->optionsPage().advancedPage();
        const QList<std::pair<int, QStringList>> lists{
            {1045, {"Continuous"}},
            {1049, {"Normal"}},
            {1053, {"Flate", "LZW"}},
            {1056, {"Flate", "JPEG", "Automatic"}},
            {1038, {"Minimum", "Low", "Medium", "Maximum"}},
            {1041, {"V1.3(Acrobat 4.xx)", "V1.4(Acrobat 4.xx)", "V1.5(Acrobat 4.xx)"}}};
        for (const auto& [id, items] : lists) {
            auto* combo = qobject_cast<QComboBox*>(a.GetDlgItem(id));
            QVERIFY(combo != nullptr && !combo->isEditable());
            QStringList shown;
            for (int i = 0; i < combo->count(); ++i)
                shown << combo->itemText(i);
            QCOMPARE(shown, items);
            QCOMPARE(combo->currentIndex(), 0);
        }
        QCOMPARE(a.IsDlgButtonChecked(1059), 0);
        const ConversionSettings defaults = h.dialog->optionsPage().CaptureSettings();
        QCOMPARE(defaults, ConversionSettings{});
    }

    // What the user typed reaches the run exactly, whatever tab is shown, and
    // switching tabs keeps every value.
    void tabsKeepTypedValues()
    {
        Harness h;
        CZembrinDlg& d = *h.dialog;
        CAdvanceDlg& options = d.optionsPage();
        QTest::mouseClick(&d.tabStrip(), Qt::LeftButton, {}, d.tabStrip().GetItemRect(1).center());
        QVERIFY(options.isVisible() && !d.convertPage().isVisible());
        QVERIFY(options.descriptionPage().isVisible());

        options.descriptionPage().SetDlgItemText(1026, QStringLiteral("Budget 2027"));
        options.descriptionPage().SetDlgItemText(1037, QStringLiteral("one\r\ntwo"));
        QTest::keyClick(options.descriptionPage().GetDlgItem(1026), Qt::Key_Return);
        QVERIFY(options.descriptionPage().isVisible());

        CXPTabCtrl* inner = options.findChild<CXPTabCtrl*>();
        QVERIFY(inner != nullptr);
        QTest::mouseClick(inner, Qt::LeftButton, {}, inner->GetItemRect(1).center());
        QVERIFY(options.securityPage().isVisible() && !options.descriptionPage().isVisible());
        h.click(options.securityPage(), 1005);
        QTest::mouseClick(inner, Qt::LeftButton, {}, inner->GetItemRect(0).center());
        QTest::mouseClick(&d.tabStrip(), Qt::LeftButton, {}, d.tabStrip().GetItemRect(0).center());
        QVERIFY(d.convertPage().isVisible());
        QTest::mouseClick(&d.tabStrip(), Qt::LeftButton, {}, d.tabStrip().GetItemRect(1).center());

        const ConversionSettings s = options.CaptureSettings();
        QCOMPARE(s.title, QStringLiteral("Budget 2027"));
        QCOMPARE(s.keywords, QStringLiteral("one\r\ntwo"));
        QCOMPARE(s.securityEnabled, 1);
        QVERIFY(options.descriptionPage().isVisible());
    }

    void addFiles()
    {
        Harness h;
        ScratchFolder folder;
        writeFile(folder.file("small.xls"), QByteArray(1023, 'x'));
        writeFile(folder.file("two.xlsx"), QByteArray(2048, 'x'));
        writeFile(folder.file("BOOK.XLS"), QByteArray(10, 'x'));
        shell.nextFiles = {folder.file("small.xls"), folder.file("BOOK.XLS"),
                           folder.file("two.xlsx"), folder.file("small.xls")};
        h.click(h.dialog->convertPage(), 1011);
        QCOMPARE(h.rows(), (QStringList{folder.file("small.xls"), folder.file("two.xlsx")}));
        QCOMPARE(h.list().GetItemText(0, 1), QStringLiteral("0 KB"));
        QCOMPARE(h.list().GetItemText(1, 1), QStringLiteral("2 KB"));
        QCOMPARE(h.list().GetItemText(1, 2), QStringLiteral("xlsx"));
        QCOMPARE(h.mainEdit(1021)->text(), folder.path() + QLatin1Char('/'));
        QCOMPARE(h.statusText(), QStringLiteral("Ready"));
        QVERIFY(shell.lastFilter.startsWith(QLatin1String("MS Office File(*.xls;*.xlsx)")));

        // Again, with the same file: still one row. A file that cannot be read for its
        // size gets its row without a size. Cancelling changes nothing but the status.
        shell.nextFiles = {folder.file("small.xls"), folder.file("gone.xls")};
        h.click(h.dialog->convertPage(), 1011);
        QCOMPARE(h.list().GetItemCount(), 3);
        QCOMPARE(h.list().GetItemText(2, 1), QString());
        h.mainEdit(1021)->setText(QStringLiteral("/elsewhere/"));
        SendMessageW(&*h.dialog, WM_SETSTATUSTEXT, 0, StringParam(QStringLiteral("x")));
        shell.nextFiles = {};
        h.click(h.dialog->convertPage(), 1011);
        QCOMPARE(h.statusText(), QStringLiteral("Ready"));
        QCOMPARE(h.list().GetItemCount(), 3);
        QCOMPARE(h.mainEdit(1021)->text(), folder.path() + QLatin1Char('/'));
    }

    void dropFromFileManager()
    {
        Harness h;
        ScratchFolder folder;
        writeFile(folder.file("a.xlsx"), QByteArray(4096, 'a'));
        writeFile(folder.file("b.xls"), QByteArray(3000, 'b'));
        writeFile(folder.file("notes.txt"), "x");
        dropOn(h.list(), {folder.file("a.xlsx"), folder.file("notes.txt"), folder.file("b.xls")});
        QCOMPARE(h.rows(), (QStringList{folder.file("a.xlsx"), folder.file("b.xls")}));
        QCOMPARE(h.list().GetItemText(0, 1), QStringLiteral("4 KB"));
        QCOMPARE(h.list().GetItemText(1, 1), QStringLiteral("2 KB"));
        QTRY_COMPARE(h.mainEdit(1021)->text(), folder.path() + QLatin1Char('/'));
        QCOMPARE(h.statusText(), QStringLiteral("Ready"));
    }

    void removeRows()
    {
        Harness h;
        CConvertDlg& page = h.dialog->convertPage();
        h.click(page, 1013);
        h.click(page, 1015);
        QCOMPARE(h.shownTexts(), (QStringList{"No File!", "No File!"}));
        h.addRows({"/d/1.xls", "/d/2.xls", "/d/3.xls", "/d/4.xls", "/d/5.xls"});
        h.click(page, 1013);
        QCOMPARE(h.shownTexts().last(), QStringLiteral("Please Select a Deteled File!"));
        h.list().topLevelItem(1)->setSelected(true);
        h.list().topLevelItem(2)->setSelected(true);
        h.click(page, 1013);
        QCOMPARE(h.rows(), (QStringList{"/d/1.xls", "/d/4.xls", "/d/5.xls"}));
        h.click(page, 1015);
        QCOMPARE(h.list().GetItemCount(), 0);
    }

    void convertChecks()
    {
        Harness h;
        h.dialog->SendCommand(1023);
        h.addRows({"/d/1.xls"});
        h.mainEdit(1021)->setText(QStringLiteral("/no/such/folder/"));
        h.dialog->SendCommand(1023);
        h.mainEdit(1021)->setText(QString());
        h.dialog->SendCommand(1023);
        QCOMPARE(h.shownTexts(), (QStringList{"No Word or Excel File",
                                              "Wrong Path cause wrong, Input a valid file path!",
                                              "Wrong Path cause wrong, Input a valid file path!"}));
        QCOMPARE(h.list().GetItemCount(), 1);
        QVERIFY(!h.dialog->convertPage().IsBusy());
    }

    // A whole run through the windows: the page's worker, the status, the progress,
    // the commands refused while it runs, and the finish dialog at its end.
    void runRefusesToCloseAndEndsWithTheFinishDialog()
    {
        Harness h;
        ScratchFolder out;
        ScratchFolder in;
        for (const char* name : {"zeta.xlsx", "alpha.xls", "broken.xlsx"})
            writeFile(in.file(QLatin1String(name)), "x");
        h.addRows({in.file("zeta.xlsx"), in.file("alpha.xls"), in.file("broken.xlsx")});
        h.mainEdit(1021)->setText(out.path() + QLatin1Char('/'));
        h.dialog->optionsPage().descriptionPage().SetDlgItemText(1026,
                                                                 QStringLiteral("Typed title"));
        // A tab other than the file list is shown: Convert brings the list back.
        QTest::mouseClick(&h.dialog->tabStrip(), Qt::LeftButton, {},
                          h.dialog->tabStrip().GetItemRect(1).center());

        h.gate.hold();
        h.dialog->SendCommand(1023);
        QCOMPARE(h.dialog->currentTab(), 0);
        QVERIFY(h.dialog->convertPage().isVisible());
        QTRY_COMPARE(h.gate.entered(), 1);
        QVERIFY(h.dialog->convertPage().IsBusy());
        QVERIFY(h.statusText().startsWith(QLatin1String("Begin Convert")));

        // Alt+F4 (the window manager's close), Escape, the close button, Enter, a
        // drop, and the page's commands: all refused while the worker runs.
        h.dialog->close();
        QTest::keyClick(h.mainEdit(1021), Qt::Key_Escape);
        QTest::keyClick(h.mainEdit(1021), Qt::Key_Return);
        h.dialog->SendCommand(1061);
        h.dialog->SendCommand(1022);
        h.click(h.dialog->convertPage(), 1011);
        dropOn(h.list(), {in.file("zeta.xlsx")});
        QVERIFY(h.dialog->isVisible());
        QCOMPARE(h.shownTexts(), QStringList(7, QStringLiteral("Working now,Hold for a moment!")));
        QCOMPARE(h.list().GetItemCount(), 3);

        // The status animation: dots are added every 500 ms.
        QTRY_VERIFY_WITH_TIMEOUT(h.statusText().startsWith(QLatin1String("Begin Convert.")), 2000);

        MessageBoxes::Reset();
        MessageBoxes::AnswerInAdvance({});
        h.gate.release();
        QTRY_COMPARE(h.statusText(), QStringLiteral("Over!"));
        QTRY_VERIFY(!h.dialog->convertPage().IsBusy());
        QCOMPARE(h.list().GetItemCount(), 0);
        QCOMPARE(h.dialog->progressBar().position.load(), 3);
        QCOMPARE(h.dialog->progressBar().range.load(), 3);
        QCOMPARE(h.shownTexts(),
                 QStringList{out.path() + QStringLiteral("/broken.pdf convert failed!")});
        QCOMPARE(h.gate.seenTitles, (QStringList{"Typed title", "Typed title"}));

        // About a second later the finish dialog lists both PDFs, sorted, the first
        // selected; Close empties the list for the next run. It runs modally, so it is
        // read and closed from inside its own loop.
        CFinishDlg& finish = h.dialog->convertPage().finishDialog();
        QString title, headline, folder;
        QStringList names;
        int selected = -2;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &finish, [&] {
            if (!finish.isVisible())
                return;
            watch.stop();
            title = finish.windowTitle();
            headline = finish.GetDlgItemText(1050);
            names = finish.ShownNames();
            selected = finish.SelectedIndex();
            folder = finish.finishFolder;
            finish.SendCommand(1042);
            finish.SendCommand(IDCANCEL);
        });
        watch.start(20);
        QTRY_VERIFY_WITH_TIMEOUT(selected != -2, 4000);
        QCOMPARE(title, QStringLiteral("Tabloria 5.0"));
        QCOMPARE(headline, QStringLiteral("Conversion Completes!"));
        QCOMPARE(names, (QStringList{"alpha.pdf", "zeta.pdf"}));
        QCOMPARE(selected, 0);
        QCOMPARE(folder, out.path() + QLatin1Char('/'));
        QCOMPARE(shell.opened.value(0),
                 QUrl::fromLocalFile(out.path() + QStringLiteral("/alpha.pdf")));
        QTRY_VERIFY(!finish.isVisible());
        QVERIFY(finish.resultNames.isEmpty());

        // Idle again: Escape ends the program.
        QTest::keyClick(h.mainEdit(1021), Qt::Key_Escape);
        QTRY_VERIFY(!h.dialog->isVisible());
    }

    void finishDialogCommands()
    {
        CFinishDlg finish;
        finish.finishFolder =
            QStringLiteral("/very/") + QString(300, QLatin1Char('p')) + QLatin1Char('/');
        finish.resultNames = {"c.pdf", "a.pdf", "b.pdf"};
        QTimer::singleShot(0, [&] {
            QCOMPARE(finish.ShownNames(), (QStringList{"a.pdf", "b.pdf", "c.pdf"}));
            // Open Folder with no selection shows the first name; no path is cut.
            qobject_cast<QListWidget*>(finish.GetDlgItem(1039))->clearSelection();
            finish.SendCommand(1046);
            QCOMPARE(shell.shown, QStringList{finish.finishFolder + QStringLiteral("a.pdf")});
            finish.SendCommand(1042);
            const QList<ShownMessage> shown = MessageBoxes::Shown();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].text, QStringLiteral("please choose one file !"));
            QCOMPARE(shown[0].caption, QStringLiteral("ERROR"));
            QVERIFY(shown[0].icon == MessageIcon::Stop);
            QVERIFY(finish.isVisible());
            QTest::keyClick(&finish, Qt::Key_Escape);
        });
        finish.DoModal();
        QVERIFY(finish.resultNames.isEmpty());
    }

    void aboutBox()
    {
        Harness h;
        CAboutDlg about(&*h.dialog);
        QTimer::singleShot(0, [&] {
            QCOMPARE(about.windowTitle(), QStringLiteral("About Tabloria 5.0"));
            QCOMPARE(about.size(), QSize(395, 270));
            QCOMPARE(about.GetDlgItemText(1080), QStringLiteral("Tabloria Version 5.0"));
            QWidget* link = about.GetDlgItem(1057);
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(link->font().underline());
            QTest::mouseClick(link, Qt::LeftButton);
            QCOMPARE(shell.opened, QList<QUrl>{HomePageUrl()});
            QVERIFY(about.isVisible());
            QVERIFY(!about.banner().isNull());
            QCOMPARE(about.GetDlgItem(1078)->geometry(), QRect(250, 207, 78, 20));
            qobject_cast<QAbstractButton*>(about.GetDlgItem(1078))->click();
        });
        QCOMPARE(about.DoModal(), IDOK);
        // The toolbar and the system menu reach the same pages.
        h.dialog->SendCommand(1030);
        h.dialog->SendCommand(1052);
        QCOMPARE(shell.opened.mid(1), (QList<QUrl>{HelpFileUrl(), HomePageUrl()}));
        QVERIFY(QFileInfo::exists(HelpFileUrl().toLocalFile()));
        QVERIFY(QFileInfo::exists(HomePageUrl().toLocalFile()));
        QTest::keyClick(h.mainEdit(1021), Qt::Key_F1);
        QCOMPARE(shell.opened.last(), HelpFileUrl());
        h.dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*h.dialog));
        QTest::keyClick(h.dialog->windowHandle(), Qt::Key_Space, Qt::AltModifier);
        QTRY_VERIFY(h.dialog->SystemMenu()->isVisible());
        h.dialog->SystemMenu()->hide();
        const QList<QAction*> items = h.dialog->SystemMenu()->actions();
        QVERIFY(items.size() >= 2 && items.at(items.size() - 2)->isSeparator());
        QCOMPARE(items.last()->text(), QStringLiteral("&About Zembrin..."));
    }

    void browsePutsTheFolderWithASlash()
    {
        Harness h;
        shell.nextFolder = QStringLiteral("/srv/pdf");
        h.dialog->SendCommand(1022);
        QCOMPARE(h.mainEdit(1021)->text(), QStringLiteral("/srv/pdf/"));
        shell.nextFolder = QString();
        h.dialog->SendCommand(1022);
        QCOMPARE(h.mainEdit(1021)->text(), QStringLiteral("/srv/pdf/"));
    }

    // A second copy of the program ends at once with 0 and leaves the first running;
    // once the first has gone, the next start runs normally.
    void secondInstanceEndsAtOnce()
    {
        QProcess first;
        first.setWorkingDirectory(QFileInfo(QStringLiteral(TABLORIA_PROGRAM)).absolutePath());
        first.start(QStringLiteral(TABLORIA_PROGRAM), {});
        QVERIFY(first.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(first.state(), QProcess::Running);

        QProcess second;
        second.start(QStringLiteral(TABLORIA_PROGRAM), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        first.waitForFinished();
        QProcess third;
        third.start(QStringLiteral(TABLORIA_PROGRAM), {});
        QVERIFY(third.waitForStarted());
        QVERIFY(!third.waitForFinished(1500));
        // The end of the session between runs closes the window as its close button does.
        third.terminate();
        QVERIFY(third.waitForFinished(5000));
        QCOMPARE(third.exitStatus(), QProcess::NormalExit);
        QCOMPARE(third.exitCode(), 0);
    }

private:
    RecordingShell shell;
};

QTEST_MAIN(UiTest)
#include "UiTest.moc"
