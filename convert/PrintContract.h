#pragma once

#include "Status.h"

#include <QString>

// What every converter and the printer backend agree on: the PostScript printer
// "Pellucor" writes each job of a user into that user's spool file, and the PDF
// step reads it from there together with the pdfmarks file. Both files live in the
// user's private work folder.

inline const QString PostScriptPrinterName = QStringLiteral("Pellucor");

// The current user's work folder (/run/user/<uid>/tabloria or /tmp/tabloria-<uid>).
QString UserWorkFolder();

// Creates the folder when it is missing and checks that only the current user can
// reach it. The failure carries a message that tells the user what to do.
Status PrepareWorkFolder(const QString& folder);

QString PostScriptSpoolFile(const QString& workFolder);
QString PostScriptJobRecord(const QString& workFolder);
QString PdfmarksFile(const QString& workFolder);
// The user's default printer as it was before "Pellucor" took its place, kept until
// it is confirmed back: "name\n", or an empty file for no default printer.
QString DefaultPrinterRecord(const QString& workFolder);
// The security arguments of a Ghostscript run, for as long as it runs.
QString GhostscriptArgumentFile(const QString& workFolder);
