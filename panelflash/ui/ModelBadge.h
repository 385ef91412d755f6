#pragma once

#include <QIcon>
#include <QImage>

// Icon 128 of Panelflash: the device's model badge, a dark rounded plate with light "VX9KR"
// lettering and a mixer's faders. Each size is drawn for itself, simpler as it gets smaller.
// Needs a QGuiApplication.
QIcon ModelBadgeIcon();

// The sizes, in pixels, that ModelBadgeIcon() holds.
inline constexpr int kModelBadgeSizes[] = {16, 24, 32, 48, 64, 256};

// The badge painted at `size` × `size` pixels (QImage::Format_ARGB32_Premultiplied, transparent
// around the plate). Works without a QGuiApplication. A null image for a size below 1.
QImage PaintModelBadge(int size);
