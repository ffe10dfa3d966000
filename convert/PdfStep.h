#pragma once

#include "ConversionSettings.h"
#include "Spooler.h"

#include <QString>

class ProcessRunner;
class Prompter;

// What the PDF step needs from the world.
struct PdfStepServices
{
    ProcessRunner& processes;
    Spooler& spooler;
    Prompter& prompter;
    QString workFolder;    // holds the spool file and the pdfmarks file
    QString programFolder; // where a shipped Ghostscript would be
};

struct PdfStepResult
{
    bool written = false; // this run wrote the PDF at outputPath
    QString outputPath;
    QString failure;      // why not, for people, when !written
};

// Turns the spool file into the PDF for sourcePath in destinationFolder: writes the
// pdfmarks file, runs Ghostscript on the spool file and the pdfmarks file, and
// restores savedDefaultPrinter whatever happened. The spool file, its job record and
// the pdfmarks file are removed once Ghostscript is done with them, so that no
// unencrypted copy of the document stays behind.
//
// An empty title in the settings becomes the source's file name and an empty author
// the user's name, so that the PDF never shows the printed job's internal title.
//
// Ghostscript writes to a temporary file in the destination folder that replaces
// the output only when Ghostscript succeeded; a failed run leaves no file behind and
// never touches an existing PDF of that name. A work folder that is not safe, or a
// pdfmarks file that cannot be written, is shown to the user and Ghostscript is not
// started. A failing Ghostscript itself is not shown here: the caller judges the
// file by the result.
PdfStepResult ConvertPostScriptToPdf(const QString& sourcePath, const QString& destinationFolder,
                                     const ConversionSettings& settings, const SavedPrinter& savedDefaultPrinter,
                                     PdfStepServices& services);
