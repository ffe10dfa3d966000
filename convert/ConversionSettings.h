#pragma once

#include <QString>

// The values that shape every PDF of a run: the document description, the security
// choices and the output choices. The option pages own them; a run copies them into
// one record when Convert is pressed, and every file of the run sees that record.
// Nothing here is ever saved: each start of the program begins with these defaults.
struct ConversionSettings
{
    // Description page
    QString title;
    QString subject;
    QString author;
    QString keywords; // may hold CR LF line breaks

    // Security page
    int securityEnabled = 0;
    int userPasswordEnabled = 0;
    int ownerPasswordEnabled = 0;
    QString userPassword;
    QString ownerPassword;
    int copyingBox = 0; // a checked box takes its action away from the reader
    int formFillingBox = 0;
    int changingBox = 0;
    int printingBox = 0;
    int encryptionLevel = 0; // 0 = Low (40-bit RC4), 1 = High (128-bit RC4)

    // Advanced page: the exact texts of the selected list items
    QString documentCompression = QStringLiteral("Flate");
    QString imageCompression = QStringLiteral("Flate");
    QString jpegQuality = QStringLiteral("Minimum");
    QString pdfVersion = QStringLiteral("V1.3(Acrobat 4.xx)");

    bool operator==(const ConversionSettings&) const = default;
};
