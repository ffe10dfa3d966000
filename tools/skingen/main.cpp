// Draws every skin file of the program and its resource pictures, and writes them as
// BMP files (24 bits per pixel) into image/ and res/. With --sheet it also writes one
// PNG showing every picture, for looking the skin over.
//
//   tabloria-skingen <source folder> [--sheet contact.png]

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <functional>
#include <vector>

namespace {

// The theme.
const QColor windowBlue(191, 219, 255);
const QColor pageBlue(224, 234, 246);
const QColor lineBlue(141, 178, 227);
const QColor deepBlue(99, 142, 201);
const QColor darkBlue(58, 98, 160);
const QColor inkBlue(22, 48, 92);
const QColor paleBlue(240, 245, 252);
const QColor bandBlue(211, 228, 250);
const QColor magenta(255, 0, 255);

struct Skin
{
    QString path; // relative to the source folder
    QImage image;
};

QFont labelFont(int pixelSize, bool bold = true)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QImage canvas(int w, int h, const QColor& fill)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& from, const QColor& to)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

// ---- glyphs drawn beside the button labels ----

using Glyph = std::function<void(QPainter&, const QRectF&, const QColor&)>;

void glyphPlus(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 2.4, Qt::SolidLine, Qt::RoundCap));
    const QPointF m = r.center();
    const qreal s = r.width() * 0.36;
    p.drawLine(QPointF(m.x() - s, m.y()), QPointF(m.x() + s, m.y()));
    p.drawLine(QPointF(m.x(), m.y() - s), QPointF(m.x(), m.y() + s));
}

void glyphMinus(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 2.4, Qt::SolidLine, Qt::RoundCap));
    const QPointF m = r.center();
    const qreal s = r.width() * 0.36;
    p.drawLine(QPointF(m.x() - s, m.y()), QPointF(m.x() + s, m.y()));
}

void glyphCross(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap));
    const QPointF m = r.center();
    const qreal s = r.width() * 0.28;
    p.drawLine(m + QPointF(-s, -s), m + QPointF(s, s));
    p.drawLine(m + QPointF(-s, s), m + QPointF(s, -s));
}

void glyphFolder(QPainter& p, const QRectF& r, const QColor& c)
{
    QPainterPath path;
    const qreal x = r.left(), y = r.top() + r.height() * 0.18, w = r.width(), h = r.height() * 0.68;
    path.moveTo(x, y + h);
    path.lineTo(x, y);
    path.lineTo(x + w * 0.38, y);
    path.lineTo(x + w * 0.48, y + h * 0.18);
    path.lineTo(x + w, y + h * 0.18);
    path.lineTo(x + w, y + h);
    path.closeSubpath();
    p.setPen(QPen(c, 1.3));
    p.setBrush(QColor(255, 214, 120));
    p.drawPath(path);
}

void glyphArrow(QPainter& p, const QRectF& r, const QColor& c)
{
    QPainterPath path;
    const QPointF m = r.center();
    const qreal s = r.width() * 0.42;
    path.moveTo(m.x() - s, m.y() - s * 0.35);
    path.lineTo(m.x() + s * 0.1, m.y() - s * 0.35);
    path.lineTo(m.x() + s * 0.1, m.y() - s * 0.85);
    path.lineTo(m.x() + s, m.y());
    path.lineTo(m.x() + s * 0.1, m.y() + s * 0.85);
    path.lineTo(m.x() + s * 0.1, m.y() + s * 0.35);
    path.lineTo(m.x() - s, m.y() + s * 0.35);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

void glyphHome(QPainter& p, const QRectF& r, const QColor& c)
{
    QPainterPath roof;
    const qreal x = r.left(), y = r.top(), w = r.width(), h = r.height();
    roof.moveTo(x + w * 0.05, y + h * 0.52);
    roof.lineTo(x + w * 0.5, y + h * 0.1);
    roof.lineTo(x + w * 0.95, y + h * 0.52);
    p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roof);
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    QPainterPath body;
    body.addRect(QRectF(x + w * 0.2, y + h * 0.5, w * 0.6, h * 0.42));
    QPainterPath door;
    door.addRect(QRectF(x + w * 0.42, y + h * 0.64, w * 0.16, h * 0.28));
    p.drawPath(body.subtracted(door));
}

void glyphCircleText(QPainter& p, const QRectF& r, const QColor& c, const QString& t)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(r.adjusted(1, 1, -1, -1));
    p.setPen(Qt::white);
    p.setFont(labelFont(static_cast<int>(r.height() * 0.62)));
    p.drawText(r, Qt::AlignCenter, t);
}

void glyphInfo(QPainter& p, const QRectF& r, const QColor& c)
{
    glyphCircleText(p, r, c, QStringLiteral("i"));
}

void glyphHelp(QPainter& p, const QRectF& r, const QColor& c)
{
    glyphCircleText(p, r, c, QStringLiteral("?"));
}

void glyphDash(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 2.0, Qt::SolidLine, Qt::FlatCap));
    const qreal y = r.center().y() + 2.5;
    p.drawLine(QPointF(r.center().x() - 4.5, y), QPointF(r.center().x() + 4.5, y));
}

void glyphClose(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 1.9, Qt::SolidLine, Qt::RoundCap));
    const QPointF m = r.center();
    const qreal s = 3.6;
    p.drawLine(m + QPointF(-s, -s), m + QPointF(s, s));
    p.drawLine(m + QPointF(-s, s), m + QPointF(s, -s));
}

// ---- button strips ----

// The look of one state: face gradient, rim, label colour.
struct Face
{
    QColor top, bottom, rim, ink;
    bool shine = true;
};

struct ButtonLook
{
    Face states[4]; // normal, hover, pressed, disabled
    qreal radius = 5;
};

ButtonLook softLook()
{
    ButtonLook look;
    look.states[0] = {QColor(252, 253, 255), QColor(208, 225, 248), lineBlue, inkBlue};
    look.states[1] = {QColor(255, 255, 255), QColor(166, 204, 252), QColor(66, 114, 190), inkBlue};
    look.states[2] = {QColor(150, 186, 234), QColor(196, 220, 250), QColor(52, 92, 160),
                      QColor(12, 34, 74), false};
    look.states[3] = {QColor(236, 238, 242), QColor(224, 227, 232), QColor(184, 190, 200),
                      QColor(150, 156, 166), false};
    return look;
}

ButtonLook primaryLook()
{
    ButtonLook look;
    look.states[0] = {QColor(112, 158, 222), QColor(62, 106, 178), QColor(44, 82, 146), Qt::white};
    look.states[1] = {QColor(142, 186, 244), QColor(82, 130, 204), QColor(52, 96, 166), Qt::white};
    look.states[2] = {QColor(48, 86, 150), QColor(78, 120, 188), QColor(30, 62, 118),
                      QColor(226, 236, 250), false};
    look.states[3] = {QColor(214, 220, 228), QColor(196, 203, 213), QColor(170, 178, 190),
                      QColor(240, 242, 246), false};
    look.radius = 7;
    return look;
}

// Title-bar buttons: glassy on the blue title band, red for closing on hover.
ButtonLook titleLook(bool closing)
{
    ButtonLook look;
    look.states[0] = {QColor(128, 168, 224), QColor(92, 134, 196), QColor(64, 102, 164), Qt::white};
    look.states[1] =
        closing
            ? Face{QColor(236, 120, 104), QColor(200, 70, 56), QColor(150, 46, 36), Qt::white}
            : Face{QColor(168, 204, 250), QColor(118, 162, 226), QColor(64, 102, 164), Qt::white};
    look.states[2] = closing ? Face{QColor(170, 52, 40), QColor(204, 84, 70), QColor(120, 34, 26),
                                    QColor(255, 230, 226), false}
                             : Face{QColor(64, 102, 164), QColor(96, 138, 200), QColor(40, 72, 128),
                                    QColor(220, 232, 250), false};
    look.states[3] = {QColor(150, 176, 212), QColor(134, 160, 198), QColor(112, 138, 176),
                      QColor(196, 208, 226), false};
    look.radius = 3;
    return look;
}

// Toolbar buttons lie flat on the toolbar band until the mouse comes.
ButtonLook toolbarLook()
{
    ButtonLook look;
    look.states[0] = {QColor(242, 247, 254), QColor(214, 231, 252), QColor(200, 222, 250), inkBlue,
                      false};
    look.states[1] = {QColor(255, 255, 255), QColor(196, 222, 254), QColor(120, 162, 220), inkBlue};
    look.states[2] = {QColor(160, 194, 238), QColor(204, 226, 252), QColor(70, 110, 176),
                      QColor(12, 34, 74), false};
    look.states[3] = {QColor(234, 238, 244), QColor(226, 230, 236), QColor(210, 216, 226),
                      QColor(160, 166, 176), false};
    look.radius = 6;
    return look;
}

QImage buttonStrip(int w, int h, const QString& label, const ButtonLook& look,
                   const Glyph& glyph = {}, int fontSize = 12, int glyphSize = 14)
{
    QImage strip = canvas(w * 5, h, Qt::black);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF shape(0.5, 0.5, w - 1.0, h - 1.0);
    const QFont font = labelFont(fontSize);
    const QFontMetrics metrics(font);
    for (int s = 0; s < 4; ++s) {
        const Face& f = look.states[s];
        p.save();
        p.translate(s * w, 0);
        p.setClipRect(0, 0, w, h);
        // The rim colour reaches the frame's edge so the mask's soft edge blends into it.
        p.fillRect(QRect(0, 0, w, h), f.rim);
        QPainterPath inner;
        inner.addRoundedRect(shape.adjusted(1, 1, -1, -1), look.radius - 1, look.radius - 1);
        p.fillPath(inner, vertical(0, h, f.top, f.bottom));
        if (f.shine) {
            QPainterPath gloss;
            gloss.addRoundedRect(QRectF(2, 2, w - 4, h * 0.45), look.radius - 2, look.radius - 2);
            p.fillPath(gloss, vertical(2, h * 0.45, QColor(255, 255, 255, 120),
                                       QColor(255, 255, 255, 20)));
        }
        const qreal shift = s == 2 ? 1.0 : 0.0;
        const int textWidth = label.isEmpty() ? 0 : metrics.horizontalAdvance(label);
        const int gap = glyph && !label.isEmpty() ? 6 : 0;
        const int glyphWidth = glyph ? glyphSize : 0;
        const qreal total = glyphWidth + gap + textWidth;
        qreal x = (w - total) / 2.0 + shift;
        if (glyph) {
            glyph(p, QRectF(x, (h - glyphSize) / 2.0 + shift, glyphSize, glyphSize), f.ink);
            x += glyphWidth + gap;
        }
        if (!label.isEmpty()) {
            p.setFont(font);
            if (f.ink == Qt::white) {
                p.setPen(QColor(20, 50, 100, 110));
                p.drawText(QRectF(x, shift + 1, textWidth + 2, h), Qt::AlignVCenter | Qt::AlignLeft,
                           label);
            }
            p.setPen(f.ink);
            p.drawText(QRectF(x, shift, textWidth + 2, h), Qt::AlignVCenter | Qt::AlignLeft, label);
        }
        p.restore();
    }
    // The mask: white where the button is, with anti-aliased rounded corners.
    p.save();
    p.translate(4 * w, 0);
    p.fillRect(QRect(0, 0, w, h), Qt::black);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, w, h), look.radius, look.radius);
    p.fillPath(outline, Qt::white);
    p.restore();
    return strip;
}

// ---- frame pieces ----

QImage titleBand(int w, int h)
{
    QImage image = canvas(w, h, deepBlue);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), vertical(0, h, QColor(122, 164, 222), QColor(78, 122, 188)));
    p.fillRect(QRect(0, 0, w, h / 2),
               vertical(0, h / 2.0, QColor(255, 255, 255, 60), QColor(255, 255, 255, 10)));
    p.fillRect(QRect(0, h - 1, w, 1), QColor(62, 100, 162));
    // The product's mark and name.
    const QRectF disc(18, 10, 32, 32);
    p.setBrush(QColor(255, 255, 255, 235));
    p.setPen(Qt::NoPen);
    p.drawEllipse(disc);
    QPainterPath page;
    page.addRoundedRect(QRectF(27, 16, 15, 20), 2, 2);
    p.fillPath(page, deepBlue);
    p.setPen(QPen(Qt::white, 1.4));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(30, 22 + i * 4.5), QPointF(39, 22 + i * 4.5));
    p.setFont(labelFont(21));
    p.setPen(QColor(30, 60, 110, 120));
    p.drawText(QRectF(61, 1, 300, h), Qt::AlignVCenter, QStringLiteral("Tabloria"));
    p.setPen(Qt::white);
    p.drawText(QRectF(60, 0, 300, h), Qt::AlignVCenter, QStringLiteral("Tabloria"));
    const int nameWidth = QFontMetrics(labelFont(21)).horizontalAdvance(QStringLiteral("Tabloria"));
    p.setFont(labelFont(12, false));
    p.setPen(QColor(226, 238, 252));
    p.drawText(QRectF(68 + nameWidth, 4, 300, h), Qt::AlignVCenter,
               QStringLiteral("5.0  \u2022  workbooks to PDF"));
    return image;
}

// A vertical edge: outer rim, then the window colour.
QImage sideEdge(bool left)
{
    const int w = 9, h = 12;
    QImage image = canvas(w, h, windowBlue);
    QPainter p(&image);
    for (int x = 0; x < w; ++x) {
        const int fromOuter = left ? x : w - 1 - x;
        QColor c = windowBlue;
        if (fromOuter == 0)
            c = QColor(62, 100, 162);
        else if (fromOuter == 1)
            c = QColor(160, 196, 240);
        else if (fromOuter == 2)
            c = QColor(178, 208, 248);
        p.fillRect(QRect(x, 0, 1, h), c);
    }
    // The last nine rows turn into the bottom edge.
    for (int y = h - 9; y < h; ++y) {
        const int fromBottom = h - 1 - y;
        QColor c = fromBottom == 0   ? QColor(62, 100, 162)
                   : fromBottom == 1 ? QColor(160, 196, 240)
                   : fromBottom == 2 ? QColor(178, 208, 248)
                                     : QColor();
        if (c.isValid())
            for (int x = 0; x < w; ++x) {
                const int fromOuter = left ? x : w - 1 - x;
                if (fromOuter >= fromBottom)
                    image.setPixelColor(x, y, c);
            }
    }
    return image;
}

QImage bottomEdge()
{
    const int w = 4, h = 9;
    QImage image = canvas(w, h, windowBlue);
    for (int y = 0; y < h; ++y) {
        const int fromBottom = h - 1 - y;
        const QColor c = fromBottom == 0   ? QColor(62, 100, 162)
                         : fromBottom == 1 ? QColor(160, 196, 240)
                         : fromBottom == 2 ? QColor(178, 208, 248)
                                           : windowBlue;
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, c);
    }
    return image;
}

QImage toolbarBand()
{
    QImage image = canvas(4, 50, windowBlue);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, 4, 50), vertical(0, 50, QColor(246, 250, 255), QColor(206, 226, 252)));
    p.fillRect(QRect(0, 0, 4, 1), QColor(255, 255, 255));
    p.fillRect(QRect(0, 49, 4, 1), lineBlue);
    return image;
}

QImage toolbarSeparator()
{
    QImage image = canvas(2, 50, windowBlue);
    for (int y = 0; y < 50; ++y) {
        const QColor band = QColor::fromRgbF(0, 0, 0); // replaced below
        Q_UNUSED(band);
        const qreal t = y / 49.0;
        const QColor bg(static_cast<int>(246 - 40 * t), static_cast<int>(250 - 24 * t),
                        static_cast<int>(255 - 3 * t));
        const bool ends = y < 8 || y > 41;
        image.setPixelColor(0, y, ends ? bg : lineBlue);
        image.setPixelColor(1, y, ends ? bg : Qt::white);
    }
    image.setPixelColor(0, 49, lineBlue);
    image.setPixelColor(1, 49, lineBlue);
    return image;
}

QImage statusPanel(int w, int h)
{
    QImage image = canvas(w, h, windowBlue);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 6, 6);
    p.fillPath(panel, vertical(0, h, QColor(246, 250, 255), QColor(214, 231, 252)));
    p.setPen(QPen(lineBlue, 1));
    p.drawPath(panel);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.drawLine(QPointF(7, 1.5), QPointF(w - 7, 1.5));
    return image;
}

QImage progressBack(int w, int h)
{
    QImage image = canvas(w, h, QColor(226, 236, 250));
    QPainter p(&image);
    p.fillRect(image.rect(), vertical(0, h, QColor(206, 222, 244), QColor(238, 244, 252)));
    p.setPen(lineBlue);
    p.drawRect(0, 0, w - 1, h - 1);
    return image;
}

QImage progressBar(int w, int h)
{
    QImage image = canvas(w, h, deepBlue);
    QPainter p(&image);
    p.fillRect(image.rect(), vertical(0, h, QColor(132, 182, 246), QColor(58, 108, 186)));
    p.fillRect(QRect(1, 1, w - 2, h / 2 - 1),
               vertical(1, h / 2.0, QColor(255, 255, 255, 110), QColor(255, 255, 255, 30)));
    p.setPen(QColor(255, 255, 255, 40));
    for (int x = 8; x < w; x += 12)
        p.drawLine(x, 1, x - 4, h - 2);
    p.setPen(QColor(44, 84, 150));
    p.drawRect(0, 0, w - 1, h - 1);
    return image;
}

// Page frame edges: the page colour, a rule, and the window colour outside.
QImage pageEdge(bool left)
{
    const int w = left ? 8 : 9, h = 16;
    QImage image = canvas(w, h, pageBlue);
    const int ruleX = left ? 1 : w - 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool outside = left ? x < ruleX : x > ruleX;
            image.setPixelColor(x, y, outside ? windowBlue : x == ruleX ? lineBlue : pageBlue);
        }
    // The last seven rows: the rule turns along the bottom (row 4 of 7), the window below.
    for (int y = h - 7; y < h; ++y) {
        const int row = y - (h - 7);
        for (int x = 0; x < w; ++x) {
            const bool outside = left ? x < ruleX : x > ruleX;
            QColor c = outside ? windowBlue : (x == ruleX ? lineBlue : pageBlue);
            if (row == 4 && !outside)
                c = lineBlue;
            if (row > 4)
                c = windowBlue;
            image.setPixelColor(x, y, c);
        }
    }
    return image;
}

QImage pageBottom()
{
    QImage image = canvas(4, 5, pageBlue);
    for (int x = 0; x < 4; ++x) {
        image.setPixelColor(x, 2, lineBlue);
        image.setPixelColor(x, 3, windowBlue);
        image.setPixelColor(x, 4, windowBlue);
    }
    return image;
}

// Tab faces: the selected half merges with the page below, the other half is shorter
// and a shade darker. Above a tab the face shows the strip's own background (its
// middle is stretched, never keyed); only the edge columns key out the round corners.
QImage tabFace(int halfWidth, const QImage& background, const QColor& selectedTop,
               const QColor& selectedBottom, const QColor& otherTop, const QColor& otherBottom,
               const QColor& rim)
{
    const int h = background.height();
    QImage image = canvas(halfWidth * 2, h, magenta);
    QPainter p(&image);
    for (int half = 0; half < 2; ++half) {
        const int x0 = half * halfWidth;
        p.drawImage(QRect(x0, 0, halfWidth, h), background, QRect(0, 0, 1, h));
        const int top = half == 0 ? 3 : 7;
        const QColor a = half == 0 ? selectedTop : otherTop;
        const QColor b = half == 0 ? selectedBottom : otherBottom;
        const int bottom = half == 0 ? h : h - 1;
        p.fillRect(QRect(x0, top, halfWidth, bottom - top), vertical(top, bottom, a, b));
        // Rim along the top and the sides, with cut corners.
        p.fillRect(QRect(x0 + 2, top, halfWidth - 4, 1), rim);
        p.fillRect(QRect(x0, top + 2, 1, bottom - top - 2), rim);
        p.fillRect(QRect(x0 + halfWidth - 1, top + 2, 1, bottom - top - 2), rim);
        image.setPixelColor(x0 + 1, top + 1, rim);
        image.setPixelColor(x0 + halfWidth - 2, top + 1, rim);
        // Everything left and right of the tab in the edge columns is keyed out.
        for (int y = 0; y < top + 2; ++y)
            for (int c = 0; c < 3; ++c) {
                const bool outside = y < top || (y == top && c < 2) || (y == top + 1 && c < 1);
                if (outside) {
                    image.setPixelColor(x0 + c, y, magenta);
                    image.setPixelColor(x0 + halfWidth - 1 - c, y, magenta);
                }
            }
        if (half == 0)
            p.fillRect(QRect(x0 + 2, top + 1, halfWidth - 4, 1), QColor(255, 255, 255));
    }
    return image;
}

QImage stripBackground(int w, int h, const QColor& from, const QColor& to, const QColor& rule)
{
    QImage image = canvas(w, h, from);
    QPainter p(&image);
    p.fillRect(image.rect(), vertical(0, h, from, to));
    p.fillRect(QRect(0, h - 1, w, 1), rule);
    return image;
}

QImage iconStrip()
{
    const int s = 16;
    QImage image = canvas(s * 7, s, magenta);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    auto at = [&](int k) { return QRect(k * s, 0, s, s); };
    // 0 file list, 1 options, 2 description, 3 security, 4 advanced, 5 PDF, 6 workbook
    p.fillRect(at(0).adjusted(2, 2, -2, -2), Qt::white);
    p.setPen(deepBlue);
    p.drawRect(at(0).adjusted(2, 2, -3, -3));
    for (int i = 0; i < 3; ++i)
        p.drawLine(at(0).left() + 4, 5 + i * 3, at(0).left() + 11, 5 + i * 3);
    p.fillRect(at(1).adjusted(3, 3, -3, -3), deepBlue);
    p.fillRect(at(1).adjusted(5, 5, -5, -5), Qt::white);
    p.fillRect(at(2).adjusted(3, 1, -3, -1), Qt::white);
    p.setPen(darkBlue);
    p.drawRect(at(2).adjusted(3, 1, -4, -2));
    p.drawLine(at(2).left() + 5, 5, at(2).left() + 10, 5);
    p.drawLine(at(2).left() + 5, 8, at(2).left() + 10, 8);
    p.fillRect(at(3).adjusted(3, 7, -3, -1), QColor(230, 170, 40));
    p.setPen(QPen(QColor(120, 120, 130), 2));
    p.drawArc(at(3).adjusted(5, 2, -5, -6), 0, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 120, 140));
    p.drawEllipse(at(4).adjusted(2, 2, -2, -2));
    p.setBrush(magenta);
    p.drawEllipse(at(4).adjusted(6, 6, -6, -6));
    p.fillRect(at(5).adjusted(3, 1, -3, -1), QColor(200, 40, 40));
    p.fillRect(at(5).adjusted(5, 4, -5, -8), Qt::white);
    p.fillRect(at(6).adjusted(2, 2, -2, -2), QColor(40, 140, 70));
    p.setPen(Qt::white);
    p.drawLine(at(6).left() + 2, 7, at(6).right() - 2, 7);
    p.drawLine(at(6).left() + 8, 3, at(6).left() + 8, 13);
    return image;
}

QImage listHeader()
{
    const int w = 10, h = 24;
    QImage image = canvas(w, h, Qt::white);
    QPainter p(&image);
    p.fillRect(QRect(2, 0, w - 2, h), vertical(0, h, QColor(255, 255, 255), QColor(214, 231, 252)));
    p.fillRect(QRect(2, h - 1, w - 2, 1), lineBlue);
    for (int y = 0; y < h; ++y) {
        const bool ends = y < 4 || y > h - 5;
        const qreal t = y / (h - 1.0);
        const QColor bg(static_cast<int>(255 - 41 * t), static_cast<int>(255 - 24 * t),
                        static_cast<int>(255 - 3 * t));
        image.setPixelColor(0, y, ends ? bg : lineBlue);
        image.setPixelColor(1, y, ends ? bg : Qt::white);
    }
    image.setPixelColor(0, h - 1, lineBlue);
    image.setPixelColor(1, h - 1, lineBlue);
    return image;
}

// The program's mark: a PDF page and a spreadsheet on a blue disc circled by orange arrows.
QImage logo(int size, const QColor& background)
{
    QImage image = canvas(size, size, background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(240, 140, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(2, 2, 28, 28), 30 * 16, 140 * 16);
    p.drawArc(QRectF(2, 2, 28, 28), 210 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 140, 30));
    QPolygonF head1({QPointF(27.5, 9.5), QPointF(30.5, 4.5), QPointF(24.5, 5.5)});
    QPolygonF head2({QPointF(4.5, 22.5), QPointF(1.5, 27.5), QPointF(7.5, 26.5)});
    p.drawPolygon(head1);
    p.drawPolygon(head2);
    p.setBrush(QColor(72, 122, 196));
    p.drawEllipse(QRectF(5, 5, 22, 22));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 9, 8, 11));
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(9, 9, 8, 3));
    p.setBrush(QColor(226, 246, 230));
    p.drawRect(QRectF(15, 13, 9, 10));
    p.setPen(QPen(QColor(40, 140, 70), 0.8));
    p.drawLine(QPointF(15, 16.5), QPointF(24, 16.5));
    p.drawLine(QPointF(15, 19.5), QPointF(24, 19.5));
    p.drawLine(QPointF(19.5, 13), QPointF(19.5, 23));
    return image;
}

QImage aboutBanner(int w, int h)
{
    QImage image = canvas(w, h, deepBlue);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), vertical(0, h, QColor(122, 164, 222), QColor(84, 128, 194)));
    p.fillRect(QRect(0, 0, w, h / 2),
               vertical(0, h / 2.0, QColor(255, 255, 255, 60), QColor(255, 255, 255, 10)));
    p.fillRect(QRect(0, h - 1, w, 1), QColor(219, 236, 254));
    p.drawImage(QPoint(12, (h - 32) / 2), logo(32, QColor(0, 0, 0, 0)));
    p.setFont(labelFont(18));
    p.setPen(Qt::white);
    p.drawText(QRectF(54, 0, w - 60, h), Qt::AlignVCenter, QStringLiteral("Tabloria 5.0"));
    return image;
}

QImage folderPicture()
{
    QImage image = canvas(21, 18, windowBlue);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    glyphFolder(p, QRectF(1.5, 0.5, 18, 17), QColor(150, 110, 30));
    p.setPen(QPen(deepBlue, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 12), QPointF(14, 12));
    p.drawLine(QPointF(12, 9.5), QPointF(14.5, 12));
    p.drawLine(QPointF(12, 14.5), QPointF(14.5, 12));
    return image;
}

std::vector<Skin> drawSkin()
{
    std::vector<Skin> skin;
    auto add = [&](const QString& path, const QImage& image) { skin.push_back({path, image}); };
    const ButtonLook soft = softLook();
    const ButtonLook tool = toolbarLook();
    const QString img = QStringLiteral("image/");

    add(img + QStringLiteral("Top.bmp"), titleBand(774, 53));
    add(img + QStringLiteral("Left.bmp"), sideEdge(true));
    add(img + QStringLiteral("Right.bmp"), sideEdge(false));
    add(img + QStringLiteral("Bottom.bmp"), bottomEdge());
    add(img + QStringLiteral("ButtonBK.bmp"), toolbarBand());
    add(img + QStringLiteral("ButtonLine.bmp"), toolbarSeparator());
    add(img + QStringLiteral("Status.bmp"), statusPanel(750, 84));
    add(img + QStringLiteral("ProgressBK.bmp"), progressBack(463, 13));
    add(img + QStringLiteral("Progress.bmp"), progressBar(463, 13));
    add(img + QStringLiteral("InsideDlgLeftBorder.bmp"), pageEdge(true));
    add(img + QStringLiteral("InsideDlgRightBorder.bmp"), pageEdge(false));
    add(img + QStringLiteral("InsideDlgBottomBorder.bmp"), pageBottom());
    add(img + QStringLiteral("ButtonMin.bmp"),
        buttonStrip(26, 17, {}, titleLook(false), glyphDash, 12, 12));
    add(img + QStringLiteral("ButtonClose.bmp"),
        buttonStrip(42, 17, {}, titleLook(true), glyphClose, 12, 12));
    add(img + QStringLiteral("ButtonHome.bmp"),
        buttonStrip(92, 36, QStringLiteral("Home"), tool, glyphHome, 13, 20));
    add(img + QStringLiteral("ButtonInfo.bmp"),
        buttonStrip(92, 39, QStringLiteral("Info"), tool, glyphInfo, 13, 20));
    add(img + QStringLiteral("ButtonHelp.bmp"),
        buttonStrip(94, 39, QStringLiteral("Help"), tool, glyphHelp, 13, 20));
    add(img + QStringLiteral("ButtonConvert.bmp"),
        buttonStrip(130, 39, QStringLiteral("Convert"), primaryLook(), glyphArrow, 15, 18));
    add(img + QStringLiteral("ButtonBrowse.bmp"),
        buttonStrip(80, 23, QStringLiteral("Browse"), soft, glyphFolder, 11, 13));
    add(img + QStringLiteral("XPTabApp.bmp"), iconStrip());
    const QImage mainStrip = stripBackground(20, 35, windowBlue, QColor(182, 212, 252), lineBlue);
    const QImage optionStrip = stripBackground(20, 30, pageBlue, QColor(218, 230, 245), lineBlue);
    add(img + QStringLiteral("tab_button.bmp"),
        tabFace(24, mainStrip, QColor(250, 252, 255), pageBlue, QColor(214, 231, 252),
                QColor(184, 210, 244), lineBlue));
    add(img + QStringLiteral("top_background.bmp"), mainStrip);
    add(img + QStringLiteral("tab_button1.bmp"),
        tabFace(24, optionStrip, QColor(255, 255, 255), QColor(255, 255, 255),
                QColor(240, 245, 252), QColor(214, 228, 246), lineBlue));
    add(img + QStringLiteral("top_background1.bmp"), optionStrip);
    add(img + QStringLiteral("ButtonAddFile.bmp"),
        buttonStrip(129, 28, QStringLiteral("Add file(s)"), soft, glyphPlus, 12, 14));
    add(img + QStringLiteral("ButtonRemoveFile.bmp"),
        buttonStrip(129, 28, QStringLiteral("Remove"), soft, glyphMinus, 12, 14));
    add(img + QStringLiteral("ButtonRemoveAll.bmp"),
        buttonStrip(129, 28, QStringLiteral("Remove All"), soft, glyphCross, 12, 14));
    add(img + QStringLiteral("list_hearder.bmp"), listHeader());
    add(img + QStringLiteral("AboutTop.bmp"), aboutBanner(395, 42));
    add(img + QStringLiteral("RegisterButtonOK.bmp"),
        buttonStrip(78, 20, QStringLiteral("OK"), soft, {}, 12, 0));

    add(QStringLiteral("res/bitmap164.bmp"), folderPicture());
    add(QStringLiteral("res/bitmap165.bmp"), logo(32, QColor(240, 240, 240)));
    return skin;
}

QImage contactSheet(const std::vector<Skin>& skin)
{
    const int margin = 16, labelHeight = 18, width = 1600;
    // Lay the pictures out in rows, each at twice its size when it is small.
    struct Placed
    {
        const Skin* skin;
        QRect at;
        int scale;
    };
    std::vector<Placed> placed;
    int x = margin, y = margin, rowHeight = 0;
    for (const Skin& s : skin) {
        const int scale = s.image.width() <= 240 && s.image.height() <= 60 ? 2 : 1;
        const QSize size = s.image.size() * scale;
        const int cellWidth = std::max(size.width(), 170);
        if (x + cellWidth + margin > width) {
            x = margin;
            y += rowHeight + labelHeight + margin;
            rowHeight = 0;
        }
        placed.push_back({&s, QRect(QPoint(x, y + labelHeight), size), scale});
        x += cellWidth + margin;
        rowHeight = std::max(rowHeight, size.height());
    }
    const int height = y + rowHeight + labelHeight + margin;
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(250, 250, 250));
    QPainter p(&sheet);
    p.setFont(labelFont(11, false));
    for (const Placed& item : placed) {
        p.setPen(QColor(60, 60, 60));
        p.drawText(QPoint(item.at.left(), item.at.top() - 5),
                   QStringLiteral("%1  %2x%3")
                       .arg(item.skin->path.section(QLatin1Char('/'), -1))
                       .arg(item.skin->image.width())
                       .arg(item.skin->image.height()));
        p.drawImage(item.at, item.skin->image);
        p.setPen(QColor(200, 200, 200));
        p.drawRect(item.at.adjusted(-1, -1, 0, 0));
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    // Draws off-screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() < 2) {
        err << "usage: tabloria-skingen <source folder> [--sheet contact.png]\n";
        return 2;
    }
    const QDir root(args[1]);
    const std::vector<Skin> skin = drawSkin();
    for (const Skin& s : skin) {
        const QString path = root.filePath(s.path);
        QDir().mkpath(QFileInfo(path).path());
        if (!s.image.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
            err << "cannot write " << path << "\n";
            return 1;
        }
    }
    // The window icon keeps its transparency.
    if (!logo(64, Qt::transparent).save(root.filePath(QStringLiteral("res/icon128.png")), "PNG")) {
        err << "cannot write the icon\n";
        return 1;
    }
    const qsizetype sheetArg = args.indexOf(QStringLiteral("--sheet"));
    if (sheetArg > 0 && sheetArg + 1 < args.size()) {
        if (!contactSheet(skin).save(args[sheetArg + 1], "PNG")) {
            err << "cannot write the contact sheet\n";
            return 1;
        }
    }
    return 0;
}
