#pragma once

#include "ConversionSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the installed Ghostscript can do, as far as the command line cares.
struct GhostscriptFacts
{
    QString program = QStringLiteral("gs");
    // Ghostscript before 9.54 still has the .setpdfwrite operator; later ones end
    // the run with /undefined when it is named.
    bool hasSetPdfWrite = false;
};

// One Ghostscript run of the PDF step. It is held as parts rather than as text, so
// that arguments() can hand every password and path over as one argument whatever
// it holds, while commandLineText() renders the classic one-line form for logs and tests.
struct GhostscriptCommand
{
    enum class Encryption { None, Low, High };

    QString program;
    QString compatibilityLevel;
    std::optional<QString> ownerPassword;
    std::optional<QString> userPassword;
    Encryption encryption = Encryption::None; // None: no key length and no permissions
    int permissions = -4;
    QString outputFile;
    bool setPdfWrite = false;
    // Distiller parameters run before the spool file, so that they are in force
    // while the pages are written. Empty: none.
    QString leadingParameters;
    QString spoolFile;
    QString pdfmarksFile;

    // Every argument on the command line itself. Anyone on the machine can read a
    // running program's arguments, so the PDF step uses the next two instead.
    QStringList arguments() const;
    // The arguments with the security ones (passwords, key, permissions) replaced by
    // "@argumentFile"; the same as arguments() when there are none.
    QStringList arguments(const QString& argumentFile) const;
    // The security arguments as the text of that argument file, one per line.
    QByteArray securityArgumentFile() const;
    bool hasSecurityArguments() const { return !securityArguments().isEmpty(); }
    QString commandLineText() const;

private:
    QStringList securityArguments() const;
};

// One argument as a line of a Ghostscript argument file, read back by Ghostscript
// as exactly that argument: a value with blanks is quoted after its '=', a '"' is
// written \", and a backslash stays as it is (Ghostscript keeps a backslash that
// no quote or line end follows). What that quoting cannot carry (a line break, or
// a blank together with a trailing backslash) is written as a hex string,
// "-dName=<...>", which Ghostscript reads as the same bytes.
QByteArray ArgumentFileLine(const QString& argument);

// The compatibility level for a PDF Version item: "1." and the digit 3, 4 or 5 when
// that digit first occurs at index 3 of the text ("V1.4(Acrobat 4.xx)" gives
// "1.4"); empty when no digit matches.
QString CompatibilityLevel(const QString& pdfVersion);

// The permission value for the security settings: -4 lowered by each checked
// box's amount for the level (subtracted, not masked, so overlapping bits add up).
int PermissionValue(const ConversionSettings& settings);

struct GhostscriptCommandOptions
{
    GhostscriptFacts facts;
    // Hand the distiller parameters to Ghostscript ahead of the spool file as well.
    bool distillerParametersFirst = true;
};

GhostscriptCommand BuildGhostscriptCommand(const ConversionSettings& settings, const QString& outputFile,
                                           const QString& spoolFile, const QString& pdfmarksFile,
                                           const GhostscriptCommandOptions& options);
