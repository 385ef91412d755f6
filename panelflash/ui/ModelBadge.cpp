#include "panelflash/ui/ModelBadge.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <cmath>

namespace {

const QColor kPlate(46, 52, 64);
const QColor kPlateEdge(30, 34, 42);
const QColor kPlateShine(70, 78, 94);
const QColor kLettering(232, 236, 242);
const QColor kTrack(22, 25, 32);
const QColor kCap(208, 214, 224);
const QColor kAccent(236, 178, 84);

// The lettering is drawn as strokes, so it looks the same wherever the badge is shown. Each glyph
// lies in a box 6 units wide and 10 units high; strokes are 1.8 units wide, and straight strokes
// run past the box's top and bottom, which the painter's clip cuts flat.
constexpr double kGlyphWidth = 6.0;
constexpr double kGlyphHeight = 10.0;
constexpr double kGlyphGap = 1.6;
constexpr double kStroke = 1.8;

QPainterPath GlyphPath(QChar c) {
    QPainterPath p;
    switch (c.unicode()) {
        case 'V':
            p.moveTo(0.6, -1.0);
            p.lineTo(3.0, 10.8);
            p.lineTo(5.4, -1.0);
            break;
        case 'X':
            p.moveTo(0.7, -1.0);
            p.lineTo(5.3, 11.0);
            p.moveTo(5.3, -1.0);
            p.lineTo(0.7, 11.0);
            break;
        case '9':
            p.addEllipse(QRectF(0.9, 0.9, 4.2, 4.9));
            p.moveTo(5.1, 3.35);
            p.lineTo(5.1, 6.8);
            p.cubicTo(5.1, 8.5, 4.1, 9.1, 3.0, 9.1);
            p.lineTo(0.9, 9.1);
            break;
        case 'K':
            p.moveTo(0.9, -1.0);
            p.lineTo(0.9, 11.0);
            p.moveTo(5.9, -0.6);
            p.lineTo(1.0, 5.6);
            p.moveTo(2.7, 3.9);
            p.lineTo(5.7, 11.0);
            break;
        case 'R':
            p.moveTo(0.9, 11.0);
            p.lineTo(0.9, 0.9);
            p.lineTo(3.2, 0.9);
            p.cubicTo(6.0, 0.9, 6.0, 5.3, 3.2, 5.3);
            p.lineTo(0.9, 5.3);
            p.moveTo(3.0, 5.3);
            p.lineTo(5.5, 11.0);
            break;
        default:
            break;
    }
    return p;
}

// Draws `text` so that its glyph boxes fill `box` as far as the aspect ratio allows, centred.
void PaintLettering(QPainter& painter, const QRectF& box, const QString& text,
                    const QColor& colour) {
    const int n = static_cast<int>(text.size());
    if (n == 0) {
        return;
    }
    const double unitsWide = n * kGlyphWidth + (n - 1) * kGlyphGap;
    const double scale = std::min(box.width() / unitsWide, box.height() / kGlyphHeight);
    const double x0 = box.center().x() - unitsWide * scale / 2;
    const double y0 = box.center().y() - kGlyphHeight * scale / 2;

    painter.save();
    painter.setClipRect(QRectF(x0 - scale, y0, (unitsWide + 2) * scale, kGlyphHeight * scale));
    painter.translate(x0, y0);
    painter.scale(scale, scale);
    QPen pen(colour, kStroke, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(3.0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < n; ++i) {
        painter.drawPath(GlyphPath(text[i]).translated(i * (kGlyphWidth + kGlyphGap), 0.0));
    }
    painter.restore();
}

void PaintPlate(QPainter& p, const QRectF& r, double radius) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPlateEdge);
    p.drawRoundedRect(r, radius, radius);
    const double e = std::max(1.0, r.width() / 48.0);
    const QRectF inner = r.adjusted(e, e, -e, -e);
    p.setBrush(kPlateShine);
    p.drawRoundedRect(inner, radius - e, radius - e);
    p.setBrush(kPlate);
    p.drawRoundedRect(inner.adjusted(0, e, 0, 0), radius - e, radius - e);
}

// Fader tracks with their caps across `zone`; the caps sit at the given heights (0 = top).
void PaintFaders(QPainter& p, const QRectF& zone, int count, const double* levels, int accent,
                 bool snap) {
    const double pitch = zone.width() / count;
    const double trackW = std::max(1.0, pitch * 0.16);
    const double capW = pitch * 0.62;
    const double capH = std::max(2.0, zone.height() * 0.2);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        double cx = zone.left() + pitch * (i + 0.5);
        double trackX = cx - trackW / 2;
        double capX = cx - capW / 2;
        double capY = zone.top() + (zone.height() - capH) * levels[i];
        double w = capW;
        double h = capH;
        if (snap) {
            h = std::round(capH);
            trackX = std::round(trackX);
            capX = std::round(capX);
            capY = std::round(capY);
            w = std::round(capW);
        }
        p.setBrush(kTrack);
        p.drawRect(QRectF(trackX, zone.top(), trackW, zone.height()));
        p.setBrush(i == accent ? kAccent : kCap);
        p.drawRoundedRect(QRectF(capX, capY, w, h), h * 0.2, h * 0.2);
    }
}

}  // namespace

QImage PaintModelBadge(int size) {
    if (size < 1) {
        return {};
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;

    if (size <= 16) {
        // Just the faders.
        const QRectF plate(0, 0, s, s);
        PaintPlate(p, plate, s * 0.2);
        static const double levels[] = {0.7, 0.15, 0.45};
        PaintFaders(p, QRectF(s * 0.1, s * 0.19, s * 0.8, s * 0.62), 3, levels, 1, true);
    } else if (size <= 24) {
        // "VX" over an accent line.
        const QRectF plate(0, 0, s, s);
        PaintPlate(p, plate, s * 0.2);
        PaintLettering(p, QRectF(s * 0.14, s * 0.2, s * 0.72, s * 0.48), QStringLiteral("VX"),
                       kLettering);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRect(QRectF(std::round(s * 0.2), std::round(s * 0.76), std::round(s * 0.6), 2.0));
    } else if (size <= 32) {
        // Small faders above the full name.
        const QRectF plate(0, 0, s, s);
        PaintPlate(p, plate, s * 0.18);
        static const double levels[] = {0.6, 0.1, 0.4, 0.8};
        PaintFaders(p, QRectF(s * 0.16, s * 0.14, s * 0.68, s * 0.4), 4, levels, 1, true);
        PaintLettering(p, QRectF(s * 0.08, s * 0.6, s * 0.84, s * 0.26), QStringLiteral("VX9KR"),
                       kLettering);
    } else {
        // The mixer face: faders above, the name below.
        const double m = s * 0.03;
        const QRectF plate(m, m, s - 2 * m, s - 2 * m);
        PaintPlate(p, plate, s * 0.16);
        static const double levels[] = {0.55, 0.15, 0.4, 0.7};
        PaintFaders(p, QRectF(s * 0.2, s * 0.14, s * 0.6, s * 0.42), 4, levels, 1, size <= 64);
        p.setPen(Qt::NoPen);
        p.setBrush(kPlateShine);
        p.drawRect(QRectF(s * 0.14, s * 0.62, s * 0.72, std::max(1.0, s / 96.0)));
        PaintLettering(p, QRectF(s * 0.13, s * 0.68, s * 0.74, s * 0.18), QStringLiteral("VX9KR"),
                       kLettering);
    }
    p.end();
    return image;
}

QIcon ModelBadgeIcon() {
    QIcon icon;
    for (const int size : kModelBadgeSizes) {
        icon.addPixmap(QPixmap::fromImage(PaintModelBadge(size)));
    }
    return icon;
}
