#include "CAdvancedDlg.h"

#include <QComboBox>

namespace {

constexpr int IDC_PAGE_LAYOUT = 1045;
constexpr int IDC_PAGE_MODE = 1049;
constexpr int IDC_DOCUMENT_COMPRESSION = 1053;
constexpr int IDC_IMAGE_COMPRESSION = 1056;
constexpr int IDC_JPEG_QUALITY = 1038;
constexpr int IDC_PDF_VERSION = 1041;
constexpr int IDC_EMF_RENDERING = 1059;

} // namespace

CAdvancedDlg::CAdvancedDlg() : CDialog(134)
{
}

bool CAdvancedDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    Fill(IDC_PAGE_LAYOUT, {QStringLiteral("Continuous")});
    Fill(IDC_PAGE_MODE, {QStringLiteral("Normal")});
    Fill(IDC_DOCUMENT_COMPRESSION, {QStringLiteral("Flate"), QStringLiteral("LZW")});
    Fill(IDC_IMAGE_COMPRESSION,
         {QStringLiteral("Flate"), QStringLiteral("JPEG"), QStringLiteral("Automatic")});
    Fill(IDC_JPEG_QUALITY, {QStringLiteral("Minimum"), QStringLiteral("Low"),
                            QStringLiteral("Medium"), QStringLiteral("Maximum")});
    Fill(IDC_PDF_VERSION,
         {QStringLiteral("V1.3(Acrobat 4.xx)"), QStringLiteral("V1.4(Acrobat 4.xx)"),
          QStringLiteral("V1.5(Acrobat 4.xx)")});
    return true;
}

void CAdvancedDlg::Fill(int id, const QStringList& items)
{
    auto* list = qobject_cast<QComboBox*>(GetDlgItem(id));
    if (list == nullptr)
        return;
    QStringList ordered = items;
    // A sorted list keeps its items in alphabetical order whatever order they came in.
    if (list->property("sorted").toBool())
        ordered.sort(Qt::CaseInsensitive);
    list->addItems(ordered);
    list->setCurrentIndex(0);
}

QString CAdvancedDlg::Selected(int id) const
{
    auto* list = qobject_cast<QComboBox*>(GetDlgItem(id));
    return list != nullptr && list->currentIndex() >= 0 ? list->itemText(list->currentIndex())
                                                        : QString();
}

QString CAdvancedDlg::documentCompression() const
{
    return Selected(IDC_DOCUMENT_COMPRESSION);
}

QString CAdvancedDlg::imageCompression() const
{
    return Selected(IDC_IMAGE_COMPRESSION);
}

QString CAdvancedDlg::jpegQuality() const
{
    return Selected(IDC_JPEG_QUALITY);
}

QString CAdvancedDlg::pdfVersion() const
{
    return Selected(IDC_PDF_VERSION);
}

CtlColorBrush CAdvancedDlg::OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind)
{
    if (kind == CtlColor::Dlg)
        return CtlColorBrush::Solid(Qt::white);
    if (control->property("controlId").toInt() == IDC_EMF_RENDERING)
        return CtlColorBrush::Default();
    if (kind == CtlColor::Static &&
        !control->property("windowClass").toString().left(30).contains(QLatin1String("Edit"))) {
        dc.transparent = true;
        return CtlColorBrush::Null();
    }
    return CtlColorBrush::Default();
}
