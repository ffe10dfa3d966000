#pragma once

#include <QFont>
#include <QString>

// A font as the windows ask for one: a face name, a cell height in pixels, an average
// character width (0: the face's own) and a weight (400 normal, 700 bold). The faces
// "system", "MS Shell Dlg" and "Microsoft Sans Serif" become the desktop's sans-serif.
QFont CreateGdiFont(const QString& face, int height, int width = 0, int weight = 400,
                    bool underline = false);

// The font of a dialog template: face and point size.
QFont DialogFont(const QString& face, int pointSize);
