#include "GdiFont.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

void setSansFamilies(QFont& font)
{
    // Liberation Sans first: its widths are close to those the dialog layouts were
    // measured with, so texts keep to their rectangles.
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
}

} // namespace

QFont CreateGdiFont(const QString& face, int height, int width, int weight, bool underline)
{
    Q_UNUSED(face);
    QFont font;
    setSansFamilies(font);
    font.setWeight(weight >= 600 ? QFont::Bold : QFont::Normal);
    // The height asked for is the whole character cell (ascent and descent), as the
    // windows' fonts count it; the face's own em is smaller by its line gap.
    const int cell = height > 0 ? height : 12;
    font.setPixelSize(cell);
    const int measured = QFontMetrics(font).height();
    if (measured > cell)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(1.0 * cell * cell / measured))));
    font.setUnderline(underline);
    if (width > 0) {
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0)
            font.setStretch(
                std::clamp(static_cast<int>(std::lround(100.0 * width / natural)), 50, 200));
    }
    return font;
}

QFont DialogFont(const QString& face, int pointSize)
{
    Q_UNUSED(face);
    QFont font;
    setSansFamilies(font);
    font.setPointSize(pointSize > 0 ? pointSize : 8);
    return font;
}
