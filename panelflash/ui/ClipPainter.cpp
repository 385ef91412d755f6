#include "panelflash/ui/ClipPainter.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <cmath>

namespace {

// Palette: muted amber folders, slate marks, a white sheet.
const QColor kFolderBack(214, 163, 74);
const QColor kFolderFront(238, 192, 104);
const QColor kFolderEdge(160, 112, 40);
const QColor kFolderShine(247, 214, 150);
const QColor kInk(52, 60, 76);
const QColor kInkLight(96, 106, 124);
const QColor kGlass(150, 190, 224);
const QColor kGlassShine(196, 222, 243);
const QColor kPin(136, 144, 160);
const QColor kButton(196, 202, 212);
const QColor kLcd(178, 206, 142);
const QColor kLcdInk(66, 92, 52);
const QColor kPaper(255, 255, 255);
const QColor kPaperEdge(128, 138, 156);
const QColor kPaperFold(222, 227, 235);
const QColor kPaperLine(168, 180, 200);
const QColor kShadow(40, 40, 60, 46);

enum class Mark { Computer, Chip, Display };

// The folders: a back with a tab, and a front flap in front of the sheet. The sheet goes in and
// out between the two.
constexpr double kFolderWidth = 54.0;
constexpr double kLeftFolderX = 6.0;
constexpr double kRightFolderX = 260.0 - 6.0 - kFolderWidth;
constexpr double kBackTop = 9.0;
constexpr double kFrontTop = 16.0;
constexpr double kFolderBottom = 38.0;

// The sheet's flight: centre positions at the first and last frame and the height of the arc.
constexpr double kSheetWidth = 13.0;
constexpr double kSheetHeight = 17.0;
constexpr double kFlightStartX = kLeftFolderX + kFolderWidth * 0.62;
constexpr double kFlightEndX = kRightFolderX + kFolderWidth * 0.38;
constexpr double kFlightEndY = 15.0;
constexpr double kFlightRise = 5.5;
constexpr double kPi = 3.14159265358979323846;

void PaintFolderBack(QPainter& p, double x) {
    QPainterPath back;
    back.addRoundedRect(QRectF(x, kBackTop, kFolderWidth, kFolderBottom - kBackTop), 2.5, 2.5);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(x + 3.0, kBackTop - 3.5, 20.0, 6.0), 2.0, 2.0);
    back = back.united(tab);
    p.setPen(QPen(kFolderEdge, 1.0));
    p.setBrush(kFolderBack);
    p.drawPath(back.translated(0.5, 0.5));
    // A sheet already filed, standing up behind the front.
    p.setPen(QPen(kPaperEdge, 1.0));
    p.setBrush(kPaperFold);
    p.drawRect(QRectF(x + 8.5, kFrontTop - 4.5, kFolderWidth - 17.0, 8.0));
}

void PaintComputer(QPainter& p, const QPointF& c) {
    // Monitor with screen, neck and foot.
    const double x = c.x();
    const double y = c.y();
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(x - 10.0, y - 8.0, 20.0, 13.0), 1.5, 1.5);
    p.drawRect(QRectF(x - 1.0, y + 5.0, 2.0, 2.0));
    p.drawRoundedRect(QRectF(x - 5.0, y + 7.0, 10.0, 2.0), 1.0, 1.0);
    p.setBrush(kGlass);
    p.drawRect(QRectF(x - 8.0, y - 6.0, 16.0, 9.0));
    QPainterPath shine;
    shine.moveTo(x - 8.0, y - 6.0);
    shine.lineTo(x - 1.0, y - 6.0);
    shine.lineTo(x - 8.0, y + 1.0);
    shine.closeSubpath();
    p.setBrush(kGlassShine);
    p.drawPath(shine);
}

void PaintChip(QPainter& p, const QPointF& c) {
    // A square package with three pins on each side and the pin-1 dot.
    const double x = c.x();
    const double y = c.y();
    p.setPen(Qt::NoPen);
    p.setBrush(kPin);
    for (int i = -1; i <= 1; ++i) {
        const double o = i * 4.0 - 1.0;
        p.drawRect(QRectF(x - 9.0, y + o, 3.0, 2.0));
        p.drawRect(QRectF(x + 6.0, y + o, 3.0, 2.0));
        p.drawRect(QRectF(x + o, y - 9.0, 2.0, 3.0));
        p.drawRect(QRectF(x + o, y + 6.0, 2.0, 3.0));
    }
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(x - 6.0, y - 6.0, 12.0, 12.0), 1.5, 1.5);
    p.setBrush(kInkLight);
    p.drawEllipse(QPointF(x - 3.0, y - 3.0), 1.3, 1.3);
}

void PaintDisplay(QPainter& p, const QPointF& c) {
    // A small display unit: a panel with an LCD window and two buttons beside it.
    const double x = c.x();
    const double y = c.y();
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(x - 12.0, y - 7.0, 24.0, 14.0), 2.0, 2.0);
    p.setBrush(kLcd);
    p.drawRect(QRectF(x - 10.0, y - 5.0, 15.0, 10.0));
    p.setBrush(kLcdInk);
    p.drawRect(QRectF(x - 8.0, y - 3.0, 8.0, 2.0));
    p.drawRect(QRectF(x - 8.0, y + 1.0, 11.0, 2.0));
    p.setBrush(kButton);
    p.drawEllipse(QPointF(x + 8.5, y - 2.5), 1.7, 1.7);
    p.drawEllipse(QPointF(x + 8.5, y + 2.5), 1.7, 1.7);
}

void PaintFolderFront(QPainter& p, double x, Mark mark) {
    const QRectF front(x + 0.5, kFrontTop + 0.5, kFolderWidth, kFolderBottom - kFrontTop);
    p.setPen(QPen(kFolderEdge, 1.0));
    p.setBrush(kFolderFront);
    p.drawRoundedRect(front, 2.5, 2.5);
    p.setPen(QPen(kFolderShine, 1.0));
    p.drawLine(QPointF(front.left() + 2.5, front.top() + 1.0),
               QPointF(front.right() - 2.5, front.top() + 1.0));
    const QPointF centre(x + 28.0, 28.0);
    switch (mark) {
        case Mark::Computer:
            PaintComputer(p, centre);
            break;
        case Mark::Chip:
            PaintChip(p, centre);
            break;
        case Mark::Display:
            PaintDisplay(p, centre);
            break;
    }
}

// The sheet's centre at flight time t, 0 (first frame) to 1 (last frame).
QPointF FlightPoint(double t) {
    return {kFlightStartX + (kFlightEndX - kFlightStartX) * t,
            kFlightEndY - kFlightRise * std::sin(kPi * t)};
}

void PaintSheet(QPainter& p, int frame) {
    const double t = static_cast<double>(frame) / (kClipFrames - 1);
    const double x = FlightPoint(t).x();
    const double y = FlightPoint(t).y();

    // A faint trail of dots along the way the sheet came, once it is clear of the folder.
    p.setPen(Qt::NoPen);
    for (int i = 1; i <= 3; ++i) {
        const double back = t - 0.045 * i - 0.02;
        if (back < 0.12) {
            break;
        }
        QColor dot = kPaperEdge;
        dot.setAlpha(200 - 50 * i);
        p.setBrush(dot);
        p.drawEllipse(FlightPoint(back), 1.1, 1.1);
    }
    // Lean along the arc's tangent, a little more than the tangent itself so the turn shows.
    const double slope = -kFlightRise * kPi * std::cos(kPi * t) / (kFlightEndX - kFlightStartX);
    const double angle = std::atan(slope) * 180.0 / kPi * 3.0;

    p.save();
    p.translate(x, y);
    p.rotate(angle);
    const double w = kSheetWidth;
    const double h = kSheetHeight;
    const double fold = 4.0;
    QPainterPath sheet;
    sheet.moveTo(-w / 2, -h / 2);
    sheet.lineTo(w / 2 - fold, -h / 2);
    sheet.lineTo(w / 2, -h / 2 + fold);
    sheet.lineTo(w / 2, h / 2);
    sheet.lineTo(-w / 2, h / 2);
    sheet.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kShadow);
    p.drawPath(sheet.translated(1.2, 1.6));
    p.setPen(QPen(kPaperEdge, 0.9));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(w / 2 - fold, -h / 2);
    corner.lineTo(w / 2 - fold, -h / 2 + fold);
    corner.lineTo(w / 2, -h / 2 + fold);
    corner.closeSubpath();
    p.setBrush(kPaperFold);
    p.drawPath(corner);
    p.setPen(QPen(kPaperLine, 1.0, Qt::SolidLine, Qt::FlatCap));
    const double left = -w / 2 + 2.5;
    p.drawLine(QPointF(left, -h / 2 + 3.5), QPointF(w / 2 - fold - 1.5, -h / 2 + 3.5));
    for (int i = 0; i < 4; ++i) {
        const double ly = -h / 2 + 7.0 + i * 2.5;
        const double right = (i == 3) ? 0.5 : w / 2 - 2.5;
        p.drawLine(QPointF(left, ly), QPointF(right, ly));
    }
    p.restore();
}

}  // namespace

QImage PaintClipFrame(int clipId, int frame) {
    if ((clipId != CLIP_COPYING && clipId != CLIP_WAITING) || frame < 0 || frame >= kClipFrames) {
        return {};
    }
    const Mark from = (clipId == CLIP_COPYING) ? Mark::Computer : Mark::Chip;
    const Mark to = (clipId == CLIP_COPYING) ? Mark::Chip : Mark::Display;

    QImage image(kClipSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    PaintFolderBack(p, kLeftFolderX);
    PaintFolderBack(p, kRightFolderX);
    PaintSheet(p, frame);
    PaintFolderFront(p, kLeftFolderX, from);
    PaintFolderFront(p, kRightFolderX, to);
    p.end();
    return image;
}
