#include "CAlphaButton.h"
#include "CBmpProgCtrl.h"
#include "CHeaderCtrlEx.h"
#include "CListCtrlEx.h"
#include "CMemDC.h"
#include "CXPTabCtrl.h"
#include "MessageBoxes.h"
#include "SkinBitmap.h"
#include "WindowMessages.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QColor kNormal(200, 0, 0), kHover(0, 200, 0), kPressed(0, 0, 200), kDisabled(200, 200, 0);
const QColor kParent(10, 20, 30);

QString writeBmp(const QTemporaryDir& dir, const QString& name, const QImage& image)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    image.convertToFormat(QImage::Format_RGB888).save(path, "BMP");
    return path;
}

// A strip of solid frames in four colours and an all-opaque mask.
QImage solidStrip(int frameWidth, int height, int extraColumns = 0)
{
    QImage strip(frameWidth * 5 + extraColumns, height, QImage::Format_RGB32);
    strip.fill(Qt::black);
    QPainter p(&strip);
    const QColor colours[] = {kNormal, kHover, kPressed, kDisabled, Qt::white};
    for (int k = 0; k < 5; ++k)
        p.fillRect(QRect(k * frameWidth, 0, frameWidth, height), colours[k]);
    return strip;
}

// The owner of bitmap buttons: paints itself and hands its picture to the buttons.
class Owner final : public QWidget
{
public:
    QList<CAlphaButton*> buttons;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), kParent);
        for (CAlphaButton* b : buttons)
            b->DrawButton(p, 0, b->geometry(), false);
    }
};

QColor centre(QWidget& w)
{
    const QImage shot = w.grab().toImage();
    return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

class RecordingTabs final : public CXPTabCtrl
{
public:
    QList<QRect> invalidated;

protected:
    void InvalidateTabArea(const QRect& area) override
    {
        invalidated.append(area);
        CXPTabCtrl::InvalidateTabArea(area);
    }
};

// Drop events that a test makes are not delivered through the application (only a
// real drag is), so the test hands them to the list's handler itself.
class DropTarget final : public CListCtrlEx
{
public:
    using CListCtrlEx::dragEnterEvent;
    using CListCtrlEx::dropEvent;
};

class MessageLog final : public QObject
{
public:
    QList<UINT> received;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == WindowMessageEvent::eventType()) {
            received.append(static_cast<WindowMessageEvent*>(e)->message);
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace

class ControlsTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { MessageBoxes::Reset(); }

    void gradientRows_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<QColor>("first");
        QTest::addColumn<QColor>("last");
        QTest::newRow("1 pixel") << 1 << QColor(219, 236, 254) << QColor(219, 236, 254);
        QTest::newRow("100 pixels") << 100 << QColor(247, 251, 254) << QColor(219, 235, 254);
        QTest::newRow("164 pixels") << 164 << QColor(247, 251, 254) << QColor(218, 235, 253);
    }
    void gradientRows()
    {
        QFETCH(int, height);
        QFETCH(QColor, first);
        QFETCH(QColor, last);
        QImage image(20, height + 2, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter p(&image);
            FillVerticalGradient(p, QRect(2, 1, 10, height));
        }
        QCOMPARE(image.pixelColor(2, 1), first);
        QCOMPARE(image.pixelColor(11, height), last);
        QCOMPARE(image.pixelColor(12, 1), QColor(Qt::black)); // the right end is left out
        QCOMPARE(image.pixelColor(5, 0), QColor(Qt::black));
        QCOMPARE(image.pixelColor(5, height + 1), QColor(Qt::black));
    }

    void gradientDrawsNothingOnAnEmptyRectangle()
    {
        QImage image(10, 10, QImage::Format_RGB32);
        image.fill(Qt::black);
        const QImage before = image;
        QPainter p(&image);
        FillVerticalGradient(p, QRect(0, 5, 10, 0));
        FillVerticalGradient(p, QRect(QPoint(0, 5), QPoint(9, 2)));
        p.end();
        QCOMPARE(image, before);
    }

    void loadingReplacesOrKeepsThePicture()
    {
        QTemporaryDir dir;
        const QString red = writeBmp(dir, QStringLiteral("red.bmp"), solidStrip(2, 2));
        QImage target;
        QVERIFY(!LoadSkinBitmap(target, dir.filePath(QStringLiteral("missing.bmp"))));
        QVERIFY(target.isNull());
        QVERIFY(LoadSkinBitmap(target, red));
        QCOMPARE(target.size(), QSize(10, 2));
        QVERIFY(!LoadSkinBitmap(target, dir.filePath(QStringLiteral("missing.bmp"))));
        QCOMPARE(target.size(), QSize(10, 2));
        // Relative skin paths are looked up in the current directory.
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QVERIFY(LoadSkinBitmap(target, QStringLiteral("./red.bmp")));
        QDir::setCurrent(before);
    }

    void memDcCopiesOnceAtTheEnd()
    {
        QImage screen(8, 8, QImage::Format_ARGB32_Premultiplied);
        screen.fill(Qt::white);
        QPainter target(&screen);
        {
            CMemDC dc(QRect(0, 0, 4, 4), &target);
            dc.fillRect(QRect(0, 0, 4, 4), Qt::blue);
            QCOMPARE(screen.pixelColor(1, 1), QColor(Qt::white));
        }
        target.end();
        QCOMPARE(screen.pixelColor(1, 1), QColor(Qt::blue));
        QCOMPARE(screen.pixelColor(5, 5), QColor(Qt::white));
    }

    void stripsCutIntoFiveFrames_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("645 pixels") << 645;
        QTest::newRow("647 pixels, two columns left over") << 647;
    }
    void stripsCutIntoFiveFrames()
    {
        QFETCH(int, width);
        QTemporaryDir dir;
        CAlphaButton button;
        QVERIFY(button.LoadStrip(
            writeBmp(dir, QStringLiteral("s.bmp"), solidStrip(129, 28, width - 645))));
        QCOMPARE(button.FrameSize(), QSize(129, 28));
        QVERIFY(!button.LoadStrip(dir.filePath(QStringLiteral("none.bmp"))));
    }

    void maskPremultipliesTheFrames()
    {
        QTemporaryDir dir;
        QImage strip(5 * 3, 1, QImage::Format_RGB32);
        strip.fill(Qt::white);
        strip.setPixel(12, 0, qRgb(0, 0, 0));   // transparent
        strip.setPixel(13, 0, qRgb(0, 0, 255)); // opaque
        strip.setPixel(14, 0, qRgb(0, 0, 128)); // half
        Owner owner;
        auto* button = new CAlphaButton(&owner);
        owner.buttons.append(button);
        QVERIFY(button->LoadStrip(writeBmp(dir, QStringLiteral("m.bmp"), strip)));
        button->setGeometry(2, 2, 3, 1);
        owner.resize(10, 10);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QTRY_VERIFY(button->framesReady == 1);
        const QImage& frame = button->Frame(0);
        QCOMPARE(frame.pixel(0, 0), 0u);
        QCOMPARE(frame.pixel(1, 0), 0xFFFFFFFFu);
        QCOMPARE(frame.pixel(2, 0), qRgba(128, 128, 128, 128));
        // Over the parent: the transparent pixel shows the parent, the opaque one the frame.
        const QImage shot = owner.grab().toImage();
        QCOMPARE(shot.pixelColor(2, 2), kParent);
        QCOMPARE(shot.pixelColor(3, 2), QColor(Qt::white));
    }

    void buttonShowsItsFourStates()
    {
        QTemporaryDir dir;
        Owner owner;
        auto* button = new CAlphaButton(&owner);
        owner.buttons.append(button);
        QVERIFY(button->LoadStrip(writeBmp(dir, QStringLiteral("b.bmp"), solidStrip(20, 10))));
        button->setGeometry(10, 10, 20, 10);
        owner.resize(60, 40);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QCOMPARE(centre(*button), kNormal);

        QTest::mouseMove(button, QPoint(5, 5));
        QTRY_COMPARE(button->hover, 1);
        QCOMPARE(button->tracking, 1);
        QCOMPARE(centre(*button), kHover);

        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(centre(*button), kPressed);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(centre(*button), kHover);

        // Leaving resets the tracking, so the next entry tracks again.
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
        QCOMPARE(button->hover, 0);
        QCOMPARE(button->tracking, 0);
        QCOMPARE(centre(*button), kNormal);

        // Pushed with the space bar while the mouse is elsewhere: still the normal frame.
        button->setFocus();
        QTest::keyPress(button, Qt::Key_Space);
        QVERIFY(button->isDown());
        QCOMPARE(centre(*button), kNormal);
        QTest::keyRelease(button, Qt::Key_Space);

        button->setEnabled(false);
        QCOMPARE(centre(*button), kDisabled);
        button->hover = 1;
        QCOMPARE(centre(*button), kDisabled);
    }

    void hiddenOrUnloadedButtonsDrawNothing()
    {
        QTemporaryDir dir;
        QImage picture(40, 20, QImage::Format_ARGB32_Premultiplied);
        picture.fill(kParent);
        const QImage before = picture;
        QWidget host;
        CAlphaButton unloaded(&host);
        CAlphaButton hidden(&host);
        QVERIFY(hidden.LoadStrip(writeBmp(dir, QStringLiteral("h.bmp"), solidStrip(20, 10))));
        host.show();
        hidden.hide();
        QPainter p(&picture);
        hidden.DrawButton(p, 0, QRect(0, 0, 20, 10), false);
        unloaded.DrawButton(p, 0, QRect(0, 0, 20, 10), false);
        p.end();
        QCOMPARE(picture, before);
    }

    void progressFills_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("filled");
        QTest::newRow("1 of 3 on 300") << 1 << 3 << 300 << 100;
        QTest::newRow("2 of 3 on 300") << 2 << 3 << 300 << 200;
        QTest::newRow("1 of 3 on 100") << 1 << 3 << 100 << 33;
        QTest::newRow("1 of 7 on 309") << 1 << 7 << 309 << 44;
        QTest::newRow("3 of 3, full") << 3 << 3 << 300 << 300;
        QTest::newRow("0 of 3, empty") << 0 << 3 << 300 << 0;
    }
    void progressFills()
    {
        QFETCH(int, position);
        QFETCH(int, range);
        QFETCH(int, width);
        QFETCH(int, filled);
        CBmpProgCtrl bar;
        bar.backgroundBitmap = QImage(10, 4, QImage::Format_RGB32);
        bar.backgroundBitmap.fill(Qt::white);
        bar.barBitmap = QImage(width, 4, QImage::Format_RGB32);
        bar.barBitmap.fill(Qt::blue);
        bar.position = position;
        bar.range = range;
        bar.showBar = 1;
        bar.resize(width, 8);
        const QImage shot = bar.grab().toImage();
        int blue = 0;
        for (int x = 0; x < width; ++x)
            blue += shot.pixelColor(x, 4) == QColor(Qt::blue) ? 1 : 0;
        QCOMPARE(blue, filled);
        if (filled > 0)
            QCOMPARE(shot.pixelColor(filled - 1, 4), QColor(Qt::blue));
        bar.showBar = 0;
        QCOMPARE(bar.grab().toImage().pixelColor(0, 4), QColor(Qt::white));
    }

    void progressShowsTheProportionalPartOfTheBarPicture()
    {
        CBmpProgCtrl bar;
        bar.backgroundBitmap = QImage(1, 1, QImage::Format_RGB32);
        bar.backgroundBitmap.fill(Qt::white);
        bar.barBitmap = QImage(100, 1, QImage::Format_RGB32);
        bar.barBitmap.fill(Qt::blue);
        for (int x = 50; x < 100; ++x)
            bar.barBitmap.setPixel(x, 0, qRgb(255, 0, 0));
        bar.position = 1;
        bar.range = 2;
        bar.showBar = 1;
        bar.resize(200, 4);
        const QImage shot = bar.grab().toImage();
        // Half the bar picture (all blue) stretched over half the control.
        QCOMPARE(shot.pixelColor(99, 2), QColor(Qt::blue));
        QCOMPARE(shot.pixelColor(100, 2), QColor(Qt::white));
    }

    void tabsDrawUnselectedFirstThenTheSelectedOne()
    {
        RecordingTabs tabs;
        tabs.tabFace = QImage(40, 30, QImage::Format_RGB32);
        tabs.tabFace.fill(Qt::red);                                        // selected half
        QPainter(&tabs.tabFace).fillRect(QRect(20, 0, 20, 30), Qt::green); // unselected half
        tabs.stripBackground = QImage(20, 30, QImage::Format_RGB32);
        tabs.stripBackground.fill(Qt::blue);
        for (int i = 0; i < 3; ++i)
            tabs.InsertItem(i, QString());
        tabs.SetMinTabWidth(60);
        tabs.SetItemSize(QSize(10, 30));
        tabs.resize(220, 30);
        tabs.setCurrentIndex(1);
        const QImage shot = tabs.grab().toImage();
        for (int i = 0; i < 3; ++i) {
            const QRect r = tabs.GetItemRect(i);
            QCOMPARE(shot.pixelColor(r.center().x(), 15),
                     i == 1 ? QColor(Qt::red) : QColor(Qt::green));
            // Faces start four pixels into the item; the strip shows there.
            QCOMPARE(shot.pixelColor(r.left() + 1, 15), QColor(Qt::blue));
        }
        QCOMPARE(shot.pixelColor(215, 15), QColor(Qt::blue));
    }

    void selectionChangeInvalidatesTheTwoTabs()
    {
        RecordingTabs tabs;
        for (int i = 0; i < 3; ++i)
            tabs.InsertItem(i, QStringLiteral("Tab %1").arg(i));
        tabs.resize(400, 30);
        tabs.setCurrentIndex(0);
        tabs.invalidated.clear();
        tabs.setCurrentIndex(2);
        QCOMPARE(tabs.lastSelection, 0);
        QCOMPARE(tabs.invalidated, (QList<QRect>{tabs.GetItemRect(0).adjusted(0, 2, 0, 7),
                                                 tabs.GetItemRect(2).adjusted(0, 2, 0, 7)}));
        QCOMPARE(tabs.HitTest(tabs.GetItemRect(1).center()), 1);
    }

    void narrowStripShowsOnlyTheEndsOfTheBackground()
    {
        CXPTabCtrl tabs;
        tabs.stripBackground = QImage(20, 10, QImage::Format_RGB32);
        tabs.stripBackground.fill(Qt::white);
        QPainter(&tabs.stripBackground).fillRect(QRect(7, 0, 2, 10), Qt::red); // the repeated slice
        tabs.resize(9, 10);
        QImage shot = tabs.grab().toImage();
        // First copy (columns 0..17 from x 0), then the last 10 columns at x -1: no red slice
        // copies.
        QCOMPARE(shot.pixelColor(7, 5), QColor(Qt::white));
        tabs.resize(40, 10);
        shot = tabs.grab().toImage();
        QCOMPARE(shot.pixelColor(21, 5), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(35, 5), QColor(Qt::white));
    }

    void headerDrawsItsDividers()
    {
        QTemporaryDir dir;
        QImage picture(10, 20, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QPainter(&picture).fillRect(QRect(0, 0, 2, 20), Qt::red);
        writeBmp(dir, QStringLiteral("image/list_hearder.bmp"), picture);
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        CHeaderCtrlEx header;
        QDir::setCurrent(before);
        QVERIFY(!header.headerBitmap.isNull());

        QStandardItemModel model(0, 3);
        header.setModel(&model);
        for (int i = 0; i < 3; ++i)
            header.resizeSection(i, 100);
        header.resize(400, 24);
        header.show();
        QVERIFY(QTest::qWaitForWindowExposed(&header));
        QImage shot = header.grab().toImage();
        const int y = 21;
        QCOMPARE(shot.pixelColor(0, y), QColor(Qt::blue)); // no divider before the first column
        QCOMPARE(shot.pixelColor(100, y), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(200, y), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(300, y), QColor(Qt::blue));
        QCOMPARE(shot.pixelColor(301, y), QColor(Qt::red)); // after the last one
        QCOMPARE(shot.pixelColor(350, y), QColor(Qt::blue));

        QStandardItemModel empty(0, 0);
        header.setModel(&empty);
        shot = header.grab().toImage();
        for (int x : {0, 100, 200, 301})
            QCOMPARE(shot.pixelColor(x, y), QColor(Qt::blue));
    }

    void dropsFollowTheRules()
    {
        QTemporaryDir dir;
        auto file = [&](const QString& name, qint64 size) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(size));
        };
        file(QStringLiteral("Book.xls"), 1023);
        file(QStringLiteral("Book.xlsx"), 1024);
        file(QStringLiteral("BOOK.XLS"), 10);
        file(QStringLiteral("Other.xls"), 2048);
        file(QStringLiteral("Huge.xlsx"), qint64(5) << 30); // sparse: 5 GiB
        QDir(dir.path()).mkdir(QStringLiteral("folder.xls"));
        const QString p = dir.path() + QLatin1Char('/');

        MessageLog page;
        CListCtrlEx list;
        list.acceptedExtensions = {QStringLiteral("xls"), QStringLiteral("xlsx")};
        list.notifyWindow = &page;
        list.InsertColumn(0, QStringLiteral("Path"), 300);
        list.InsertColumn(1, QStringLiteral("Size"), 80);
        list.InsertColumn(2, QStringLiteral("Type"), 80);

        list.OnDropFiles({p + QStringLiteral("Book.xls"), p + QStringLiteral("Book.xlsx"),
                          p + QStringLiteral("BOOK.XLS"), p + QStringLiteral("Book.xls"),
                          p + QStringLiteral("Huge.xlsx")});
        QCOMPARE(list.GetItemCount(), 3);
        QCOMPARE(list.GetItemText(0, 0), p + QStringLiteral("Book.xls"));
        QCOMPARE(list.GetItemText(0, 1), QStringLiteral("0 KB"));
        QCOMPARE(list.GetItemText(0, 2), QStringLiteral("xls"));
        QCOMPARE(list.GetItemText(1, 1), QStringLiteral("1 KB"));
        QCOMPARE(list.GetItemText(1, 2), QStringLiteral("xlsx"));
        QCOMPARE(list.GetItemText(2, 1), QStringLiteral("5242880 KB"));
        QTRY_COMPARE(page.received, QList<UINT>{WM_FILESDROPPED});

        // Already listed (exact case); a differently cased path is another file.
        list.OnDropFiles({p + QStringLiteral("Book.xls")});
        QCOMPARE(list.GetItemCount(), 3);
        QTRY_COMPARE(page.received.size(), 2);

        // A folder stops the drop: the files after it are not looked at, nothing is posted.
        page.received.clear();
        list.OnDropFiles({p + QStringLiteral("Other.xls"), p + QStringLiteral("folder.xls"),
                          p + QStringLiteral("Huge.xlsx"), p + QStringLiteral("Book.xlsx")});
        QCOMPARE(list.GetItemCount(), 4);
        QCOMPARE(list.GetItemText(3, 1), QStringLiteral("2 KB"));
        list.OnDropFiles({p + QStringLiteral("README"), p + QStringLiteral("Other.xls")});
        QCOMPARE(list.GetItemCount(), 4);
        QTest::qWait(20);
        QVERIFY(page.received.isEmpty());

        // A file that cannot be read still gets a row, with an empty size.
        list.OnDropFiles({p + QStringLiteral("gone.xls")});
        QCOMPARE(list.GetItemText(4, 1), QString());
    }

    void dropsAreRefusedWhileConverting()
    {
        QTemporaryDir dir;
        QFile(dir.filePath(QStringLiteral("a.xls"))).open(QIODevice::WriteOnly);
        MessageBoxes::AnswerInAdvance({});
        MessageLog page;
        DropTarget list;
        list.acceptedExtensions = {QStringLiteral("xls")};
        list.notifyWindow = &page;
        list.converting = 1;

        // A real drop of local-file addresses, as a file manager makes it.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir.filePath(QStringLiteral("a.xls")))});
        for (int i = 0; i < 2; ++i) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            list.dragEnterEvent(&enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            list.dropEvent(&drop);
        }
        QCOMPARE(list.GetItemCount(), 0);
        const QList<ShownMessage> shown = MessageBoxes::Shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].text, QStringLiteral("Working now,Hold for a moment!"));
        QCOMPARE(shown[0].icon, MessageIcon::Exclamation);

        list.converting = 0;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        list.dropEvent(&drop);
        QCOMPARE(list.GetItemCount(), 1);
        QTRY_COMPARE(page.received, QList<UINT>{WM_FILESDROPPED});
    }
};

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
