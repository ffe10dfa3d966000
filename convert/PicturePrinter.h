#pragma once

#include <QSize>
#include <QString>

// Prints a picture file on one page of a job on the default printer, 3 x its pixel
// size in printer pixels at the top-left corner of the printable area, with no
// smoothing. The real one decodes with QImage and prints through QPrinter; it lives
// outside the engine because it needs Qt Gui.
class PicturePrinter
{
public:
    enum class Outcome
    {
        Printed,
        NotDecoded,      // the file is not a picture that can be read
        NoPrinter,       // no default printer device
        DocumentRefused, // the print job could not be started
        PageRefused,     // the page could not be started; the job was aborted
    };

    struct Result
    {
        Outcome outcome = Outcome::NotDecoded;
        QSize pictureSize; // in pixels, when decoded
        QString detail;    // what the decoder or the printer said, when known
    };

    virtual ~PicturePrinter() = default;
    virtual Result printPicture(const QString& picturePath, const QString& documentName) = 0;
};
