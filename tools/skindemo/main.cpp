// Shows each skinned control with the real skin of ./image and grabs the window to a
// PNG, for looking the controls over:
//
//   cd build/dev/bin && ./tabloria-skindemo demo.png

#include "CAlphaButton.h"
#include "CBmpProgCtrl.h"
#include "CListCtrlEx.h"
#include "CXPTabCtrl.h"
#include "GdiFont.h"
#include "SkinBitmap.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTextStream>

#include <vector>

namespace {

class DemoWindow final : public QWidget
{
public:
    DemoWindow()
    {
        resize(820, 560);
        setAutoFillBackground(false);
        addCaption(QStringLiteral("Add file(s): normal, hover, pressed, disabled"), 16, 10);
        for (int state = 0; state < 4; ++state) {
            auto* b = button(QStringLiteral("./image/ButtonAddFile.bmp"), 16 + state * 140, 30);
            if (state == 1)
                b->hover = 1;
            if (state == 2) {
                b->hover = 1;
                b->setDown(true);
            }
            if (state == 3)
                b->setEnabled(false);
        }
        addCaption(QStringLiteral("Convert and Browse: normal, hover, pressed, disabled"), 16, 70);
        for (int state = 0; state < 4; ++state) {
            auto* c = button(QStringLiteral("./image/ButtonConvert.bmp"), 16 + state * 140, 90);
            auto* b = button(QStringLiteral("./image/ButtonBrowse.bmp"), 580 + (state % 2) * 110,
                             90 + (state / 2) * 28);
            for (CAlphaButton* x : {c, b}) {
                if (state == 1)
                    x->hover = 1;
                if (state == 2) {
                    x->hover = 1;
                    x->setDown(true);
                }
                if (state == 3)
                    x->setEnabled(false);
            }
        }
        addCaption(
            QStringLiteral("Remove, Remove All, OK, and the title-bar buttons (normal, hover)"), 16,
            150);
        button(QStringLiteral("./image/ButtonRemoveFile.bmp"), 16, 170);
        button(QStringLiteral("./image/ButtonRemoveAll.bmp"), 156, 170);
        button(QStringLiteral("./image/RegisterButtonOK.bmp"), 296, 174);
        m_titleBand = QRect(390, 166, 200, 34);
        button(QStringLiteral("./image/ButtonMin.bmp"), 400, 174);
        button(QStringLiteral("./image/ButtonClose.bmp"), 428, 174);
        button(QStringLiteral("./image/ButtonMin.bmp"), 490, 174)->hover = 1;
        button(QStringLiteral("./image/ButtonClose.bmp"), 518, 174)->hover = 1;

        addCaption(QStringLiteral(
                       "Toolbar: Home, Info, Help (normal) and Info hovered, on the toolbar band"),
                   16, 210);
        m_toolbar = QRect(16, 228, 520, 50);
        button(QStringLiteral("./image/ButtonHome.bmp"), 30, 234);
        button(QStringLiteral("./image/ButtonInfo.bmp"), 150, 234);
        button(QStringLiteral("./image/ButtonHelp.bmp"), 270, 234);
        button(QStringLiteral("./image/ButtonInfo.bmp"), 400, 234)->hover = 1;

        addCaption(QStringLiteral("Progress: 3 of 10"), 560, 210);
        auto* progress = new CBmpProgCtrl(this);
        progress->setGeometry(560, 236, 240, 13);
        LoadSkinBitmap(progress->backgroundBitmap, QStringLiteral("./image/ProgressBK.bmp"));
        LoadSkinBitmap(progress->barBitmap, QStringLiteral("./image/Progress.bmp"));
        progress->position = 3;
        progress->range = 10;
        progress->showBar = 1;

        addCaption(QStringLiteral("Tab strips of the main window and of the options"), 16, 290);
        auto* mainTabs = tabs(
            QStringLiteral("./image/tab_button.bmp"), QStringLiteral("./image/top_background.bmp"),
            {QStringLiteral("File(s) List"), QStringLiteral("Advanced Options")}, 160, 30);
        mainTabs->setGeometry(16, 310, 380, 35);
        auto* optionTabs = tabs(
            QStringLiteral("./image/tab_button1.bmp"),
            QStringLiteral("./image/top_background1.bmp"),
            {QStringLiteral("Description"), QStringLiteral("Security"), QStringLiteral("Advanced")},
            100, 20);
        optionTabs->setCurrentIndex(1);
        optionTabs->setGeometry(420, 310, 384, 30);
        m_optionPage = QRect(420, 340, 384, 40);

        addCaption(QStringLiteral("File list with its header"), 16, 390);
        auto* list = new CListCtrlEx(this);
        list->setGeometry(16, 410, 520, 130);
        list->InsertColumn(0, QStringLiteral("Path"), 300);
        list->InsertColumn(1, QStringLiteral("Size"), 80);
        list->InsertColumn(2, QStringLiteral("Type"), 80);
        const QStringList rows{QStringLiteral("/home/ann/Budget 2024.xlsx"),
                               QStringLiteral("/home/ann/Sales.xls")};
        for (int i = 0; i < rows.size(); ++i) {
            list->InsertItem(i, rows[i]);
            list->SetItemText(i, 1, CListCtrlEx::SizeText(i == 0 ? 48213 : 1536));
            list->SetItemText(i, 2, rows[i].section(QLatin1Char('.'), -1));
        }
        addCaption(QStringLiteral("About box gradient"), 560, 390);
        m_gradient = QRect(560, 410, 240, 130);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(191, 219, 255));
        p.fillRect(QRect(0, 0, width(), 160), QColor(224, 234, 246));
        QImage band, top;
        if (LoadSkinBitmap(band, QStringLiteral("./image/ButtonBK.bmp")))
            p.drawImage(m_toolbar, band, band.rect());
        if (LoadSkinBitmap(top, QStringLiteral("./image/Top.bmp")))
            p.drawImage(m_titleBand, top, QRect(560, 8, m_titleBand.width(), m_titleBand.height()));
        p.fillRect(m_optionPage, Qt::white);
        FillVerticalGradient(p, m_gradient);
        for (CAlphaButton* b : m_buttons)
            b->DrawButton(p, 0, b->geometry(), false);
    }

private:
    void addCaption(const QString& text, int x, int y)
    {
        auto* label = new QLabel(text, this);
        label->setFont(CreateGdiFont(QStringLiteral("system"), 12, 0, 700));
        label->move(x, y);
        label->adjustSize();
    }

    CAlphaButton* button(const QString& strip, int x, int y)
    {
        auto* b = new CAlphaButton(this);
        b->move(x, y);
        if (b->LoadStrip(strip))
            b->resize(b->FrameSize());
        m_buttons.push_back(b);
        return b;
    }

    CXPTabCtrl* tabs(const QString& face, const QString& background, const QStringList& names,
                     int minWidth, int height)
    {
        auto* strip = new CXPTabCtrl(this);
        strip->iconCount = 7;
        LoadSkinBitmap(strip->iconStrip, QStringLiteral("./image/XPTabApp.bmp"));
        if (LoadSkinBitmap(strip->tabFace, face) &&
            LoadSkinBitmap(strip->stripBackground, background)) {
            for (int i = 0; i < names.size(); ++i)
                strip->InsertItem(i, names[i]);
            strip->SetMinTabWidth(minWidth);
            strip->SetItemSize(QSize(10, height));
        }
        return strip;
    }

    std::vector<CAlphaButton*> m_buttons;
    QRect m_toolbar, m_titleBand, m_optionPage, m_gradient;
};

} // namespace

int main(int argc, char** argv)
{
    // Draws off-screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("skindemo.png");
    DemoWindow window;
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(out, "PNG")) {
        QTextStream(stderr) << "cannot write " << out << "\n";
        return 1;
    }
    return 0;
}
