#pragma once

#include "ConversionSettings.h"

#include <QByteArray>
#include <QString>

// The pdfmarks file: the document information (a DOCINFO pdfmark, left out when
// no description field is given) followed by the distiller parameters. Ghostscript
// reads it after the spool file, so the document information wins over the title
// that the printed PostScript carries.

// A description value as a PostScript string: "(...)" with '\', '(' and ')'
// escaped; a value that holds non-ASCII characters as "<FEFF...>", its UTF-16BE
// code units in hex behind a byte-order mark, which the PDF keeps as Unicode.
QString PostScriptString(const QString& value);

// "[ /Title (t) \n /Author (a)\n /Subject (s)\n /Keywords (k)\n/DOCINFO pdfmark",
// with only the fields that are given, or empty when none is.
QString DocumentInfoText(const ConversionSettings& settings);

// "<<\n/CompressPages ...\n>> setdistillerparams": compression, image filters and
// the JPEG quality dictionaries.
QString DistillerParametersText(const ConversionSettings& settings);

// The settings as the PDF step describes the document: an empty title becomes the
// file name of sourcePath ("budget.xls"), an empty author becomes userName. Typed
// values are kept as they are.
ConversionSettings WithDocumentDefaults(const ConversionSettings& settings,
                                        const QString& sourcePath, const QString& userName);

// The whole file: the document information, four line feeds, the distiller parameters.
QString PdfmarksText(const ConversionSettings& settings);

// The bytes written to disk. Every character of the text is ASCII, because
// PostScriptString writes non-ASCII values in hex.
QByteArray PdfmarksBytes(const ConversionSettings& settings);
