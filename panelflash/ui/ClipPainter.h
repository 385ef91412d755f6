#pragma once

#include <QImage>
#include <QSize>

// The animation clips of the main dialog's animation control (control 1008), painted in code.
//
// Clip 130 (copying): a sheet of paper flies from a folder marked with a computer to a folder
// marked with a chip. Clip 132 (waiting for the device): the same flight from a folder marked with
// a chip to a folder marked with a small display unit. Both folders stay where they are; only the
// sheet moves, along a gentle arc from the left folder's opening (frame 0) to the right folder's
// opening (the last frame).
enum : int {
    CLIP_COPYING = 130,
    CLIP_WAITING = 132,
};

inline constexpr int kClipFrames = 17;
inline constexpr QSize kClipSize{260, 40};

// Frame `frame` (0 to kClipFrames - 1) of clip `clipId`, kClipSize pixels in
// QImage::Format_ARGB32_Premultiplied, on a fully transparent background so that the control's
// own background shows through. A null image for any other clip id or frame number.
QImage PaintClipFrame(int clipId, int frame);
