#pragma once

#include "PicturePrinter.h"

// PicturePrinter over QImage and QPrinter on the default printer of Qt's CUPS
// support. Needs a QGuiApplication (the offscreen platform will do); may be called
// from a worker thread.
class QtPicturePrinter final : public PicturePrinter
{
public:
    Result printPicture(const QString& picturePath, const QString& documentName) override;
};
