#include "QtPicturePrinter.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

PicturePrinter::Result QtPicturePrinter::printPicture(const QString& picturePath, const QString& documentName)
{
    Result result;
    QImageReader reader(picturePath);
    reader.setAutoTransform(false);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        result.outcome = Outcome::NotDecoded;
        result.detail = reader.errorString();
        return result;
    }
    result.pictureSize = picture.size();

    const QPrinterInfo device = QPrinterInfo::defaultPrinter();
    if (device.isNull()) {
        result.outcome = Outcome::NoPrinter;
        return result;
    }
    QPrinter printer(device, QPrinter::HighResolution);
    printer.setDocName(documentName);
    printer.setFullPage(false);

    QPainter painter;
    if (!painter.begin(&printer)) {
        result.outcome = Outcome::DocumentRefused;
        return result;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Qt's printing would otherwise store a photo-like picture as JPEG on its way
    // to the printer, and "Flate" could no longer give the user's pixels back.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    // QPrinter's coordinates are printer pixels with the origin at the top-left
    // corner of the printable area.
    painter.drawImage(QRect(0, 0, 3 * picture.width(), 3 * picture.height()), picture);
    if (!painter.end()) {
        result.outcome = Outcome::PageRefused;
        return result;
    }
    result.outcome = Outcome::Printed;
    return result;
}
