#include "SkinBitmap.h"

#include <QTest>

// Runs in the program folder, where the build put the skin: ./image/...
class SkinFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void buttonStripsHoldFiveFramesOfTheButtonSize_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("frame");
        QTest::newRow("minimise") << "ButtonMin.bmp" << QSize(26, 17);
        QTest::newRow("close") << "ButtonClose.bmp" << QSize(42, 17);
        QTest::newRow("Home") << "ButtonHome.bmp" << QSize(92, 36);
        QTest::newRow("Info") << "ButtonInfo.bmp" << QSize(92, 39);
        QTest::newRow("Help") << "ButtonHelp.bmp" << QSize(94, 39);
        QTest::newRow("Convert") << "ButtonConvert.bmp" << QSize(130, 39);
        QTest::newRow("Browse") << "ButtonBrowse.bmp" << QSize(80, 23);
        QTest::newRow("Add file(s)") << "ButtonAddFile.bmp" << QSize(129, 28);
        QTest::newRow("Remove") << "ButtonRemoveFile.bmp" << QSize(129, 28);
        QTest::newRow("Remove All") << "ButtonRemoveAll.bmp" << QSize(129, 28);
        QTest::newRow("about OK") << "RegisterButtonOK.bmp" << QSize(78, 20);
    }
    void buttonStripsHoldFiveFramesOfTheButtonSize()
    {
        QFETCH(QString, file);
        QFETCH(QSize, frame);
        QImage strip;
        QVERIFY(LoadSkinBitmap(strip, QStringLiteral("./image/") + file));
        QCOMPARE(strip.size(), QSize(frame.width() * 5, frame.height()));
        // The mask: opaque in the middle, transparent in the corner, soft in between.
        const int m = 4 * frame.width();
        QCOMPARE(qBlue(strip.pixel(m + frame.width() / 2, frame.height() / 2)), 255);
        QVERIFY(qBlue(strip.pixel(m, 0)) < 64);
        bool soft = false;
        for (int x = 0; x < 6; ++x)
            soft = soft || (qBlue(strip.pixel(m + x, 1)) > 0 && qBlue(strip.pixel(m + x, 1)) < 255);
        QVERIFY(soft);
        // Four states that differ from each other.
        QList<QImage> states;
        for (int k = 0; k < 4; ++k)
            states.append(strip.copy(k * frame.width(), 0, frame.width(), frame.height()));
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                QVERIFY2(states[a] != states[b],
                         qPrintable(QStringLiteral("%1 = %2").arg(a).arg(b)));
    }

    void tabFacesHaveKeyedEdgesAndAPlainMiddle()
    {
        for (const QString& file :
             {QStringLiteral("tab_button.bmp"), QStringLiteral("tab_button1.bmp")}) {
            QImage face;
            QVERIFY(LoadSkinBitmap(face, QStringLiteral("./image/") + file));
            const int half = face.width() / 2;
            QCOMPARE(face.width() % 2, 0);
            for (int x0 : {0, half}) {
                QCOMPARE(face.pixel(x0, 0) | 0xFF000000u, SkinColorKey);
                QCOMPARE(face.pixel(x0 + half - 1, 0) | 0xFF000000u, SkinColorKey);
                for (int y = 0; y < face.height(); ++y)
                    QVERIFY(face.pixel(x0 + half / 2, y) != SkinColorKey);
            }
        }
    }

    void otherFilesHaveTheSizesTheirReadersUse_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("title band") << "Top.bmp" << QSize(774, 53);
        QTest::newRow("left edge") << "Left.bmp" << QSize(9, 12);
        QTest::newRow("right edge") << "Right.bmp" << QSize(9, 12);
        QTest::newRow("bottom edge") << "Bottom.bmp" << QSize(4, 9);
        QTest::newRow("toolbar band") << "ButtonBK.bmp" << QSize(4, 50);
        QTest::newRow("separator") << "ButtonLine.bmp" << QSize(2, 50);
        QTest::newRow("status panel") << "Status.bmp" << QSize(750, 84);
        QTest::newRow("progress background") << "ProgressBK.bmp" << QSize(463, 13);
        QTest::newRow("progress bar") << "Progress.bmp" << QSize(463, 13);
        QTest::newRow("page frame left") << "InsideDlgLeftBorder.bmp" << QSize(8, 16);
        QTest::newRow("page frame right") << "InsideDlgRightBorder.bmp" << QSize(9, 16);
        QTest::newRow("page frame bottom") << "InsideDlgBottomBorder.bmp" << QSize(4, 5);
        QTest::newRow("icons") << "XPTabApp.bmp" << QSize(7 * 16, 16);
        QTest::newRow("main strip") << "top_background.bmp" << QSize(20, 35);
        QTest::newRow("options strip") << "top_background1.bmp" << QSize(20, 30);
        QTest::newRow("list header") << "list_hearder.bmp" << QSize(10, 24);
        QTest::newRow("about banner") << "AboutTop.bmp" << QSize(395, 42);
    }
    void otherFilesHaveTheSizesTheirReadersUse()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QImage image;
        QVERIFY(LoadSkinBitmap(image, QStringLiteral("./image/") + file));
        QCOMPARE(image.size(), size);
    }
};

QTEST_MAIN(SkinFilesTest)
#include "SkinFilesTest.moc"
