#pragma once

#include <QString>

// The PDF name of a source file: its file name with everything from the last dot
// replaced by ".pdf" ("Q1.2009.xls" gives "Q1.2009.pdf"); a name without a dot
// keeps its whole name ("Book" gives "Book.pdf").
QString OutputName(const QString& sourcePath);

// The destination folder, a '/' when the folder does not end with one, and the
// output name: "/pdf" and "/pdf/" give the same path.
QString OutputPath(const QString& destinationFolder, const QString& sourcePath);

// The folder with exactly one trailing '/' added when it has none.
QString WithTrailingSlash(const QString& folder);

// The text after the last dot of the whole path; the whole path when it has no dot.
// The converters are chosen by it, comparing case-sensitively.
QString SourceExtension(const QString& sourcePath);
