#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "panelflash/ui/ClipPainter.h"
#include "panelflash/ui/ModelBadge.h"

namespace {

constexpr int kClips[] = {CLIP_COPYING, CLIP_WAITING};

// Where the folders' fronts are: the lower part of each end of the frame. The sheet never flies
// there; it leaves and enters the folders above it, behind the fronts.
const QRect kLeftFolderFront(0, 24, 52, 16);
const QRect kRightFolderFront(208, 24, 52, 16);

class ClipPainterTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
        }
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "clip_painter_test";
            static char* argv[] = {name, nullptr};
            s_app = std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    static void TearDownTestSuite() { s_app.reset(); }

    static std::vector<QImage> Frames(int clip) {
        std::vector<QImage> frames;
        for (int f = 0; f < kClipFrames; ++f) {
            frames.push_back(PaintClipFrame(clip, f));
        }
        return frames;
    }

    static bool SameIn(const QImage& a, const QImage& b, const QRect& r) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                if (a.pixel(x, y) != b.pixel(x, y)) {
                    return false;
                }
            }
        }
        return true;
    }

    static int OpaqueIn(const QImage& a, const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                n += qAlpha(a.pixel(x, y)) == 255 ? 1 : 0;
            }
        }
        return n;
    }

    static inline std::unique_ptr<QGuiApplication> s_app;
};

TEST_F(ClipPainterTest, EveryFrameHasTheClipSizeAndATransparentBackground) {
    EXPECT_EQ(kClipFrames, 17);
    EXPECT_EQ(kClipSize, QSize(260, 40));
    for (const int clip : kClips) {
        for (int f = 0; f < kClipFrames; ++f) {
            SCOPED_TRACE(testing::Message() << "clip " << clip << " frame " << f);
            const QImage image = PaintClipFrame(clip, f);
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), QSize(260, 40));
            EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
            // The four corners, 3 × 3 pixels each, let the dialog show through.
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(257, 0), QPoint(0, 37), QPoint(257, 37)}) {
                for (int dy = 0; dy < 3; ++dy) {
                    for (int dx = 0; dx < 3; ++dx) {
                        EXPECT_EQ(image.pixel(corner + QPoint(dx, dy)), 0u);
                    }
                }
            }
            // Between the folders, below the sheet's arc, there is nothing either.
            EXPECT_EQ(OpaqueIn(image, QRect(70, 34, 120, 6)), 0);
        }
    }
}

TEST_F(ClipPainterTest, TheFoldersStayWhereTheyAre) {
    for (const int clip : kClips) {
        SCOPED_TRACE(testing::Message() << "clip " << clip);
        const std::vector<QImage> frames = Frames(clip);
        const int area = kLeftFolderFront.width() * kLeftFolderFront.height();
        EXPECT_GT(OpaqueIn(frames[0], kLeftFolderFront), area / 2);
        EXPECT_GT(OpaqueIn(frames[0], kRightFolderFront), area / 2);
        for (int f = 1; f < kClipFrames; ++f) {
            EXPECT_TRUE(SameIn(frames[0], frames[f], kLeftFolderFront)) << "frame " << f;
            EXPECT_TRUE(SameIn(frames[0], frames[f], kRightFolderFront)) << "frame " << f;
        }
    }
}

TEST_F(ClipPainterTest, TheSheetFliesFromLeftToRightAlongAnArc) {
    for (const int clip : kClips) {
        SCOPED_TRACE(testing::Message() << "clip " << clip);
        const std::vector<QImage> frames = Frames(clip);
        // The sheet covers any one pixel in a few frames only, so the median of each channel over
        // all frames is the picture without the sheet.
        QImage still(kClipSize, QImage::Format_ARGB32);
        for (int y = 0; y < kClipSize.height(); ++y) {
            for (int x = 0; x < kClipSize.width(); ++x) {
                std::array<std::array<int, kClipFrames>, 4> ch{};
                for (int f = 0; f < kClipFrames; ++f) {
                    const QRgb px = frames[f].pixel(x, y);
                    ch[0][f] = qRed(px);
                    ch[1][f] = qGreen(px);
                    ch[2][f] = qBlue(px);
                    ch[3][f] = qAlpha(px);
                }
                for (auto& c : ch) {
                    std::nth_element(c.begin(), c.begin() + kClipFrames / 2, c.end());
                }
                still.setPixel(x, y,
                               qRgba(ch[0][kClipFrames / 2], ch[1][kClipFrames / 2],
                                     ch[2][kClipFrames / 2], ch[3][kClipFrames / 2]));
            }
        }
        std::vector<double> cx;
        std::vector<double> cy;
        for (int f = 0; f < kClipFrames; ++f) {
            long n = 0;
            double sx = 0;
            double sy = 0;
            for (int y = 0; y < kClipSize.height(); ++y) {
                for (int x = 0; x < kClipSize.width(); ++x) {
                    const QRgb a = frames[f].pixel(x, y);
                    const QRgb b = still.pixel(x, y);
                    const int d =
                        std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                    if (d > 24) {
                        ++n;
                        sx += x;
                        sy += y;
                    }
                }
            }
            // Even half inside a folder, the sheet shows clearly.
            ASSERT_GT(n, 60) << "frame " << f;
            cx.push_back(sx / n);
            cy.push_back(sy / n);
        }
        EXPECT_LT(cx.front(), 70.0);
        EXPECT_GT(cx.back(), 190.0);
        for (int f = 1; f < kClipFrames; ++f) {
            EXPECT_GT(cx[f], cx[f - 1] + 5.0) << "frame " << f;
        }
        // Higher (smaller y) in the middle of the flight than near its ends.
        EXPECT_LT(cy[8] + 2.0, cy[2]);
        EXPECT_LT(cy[8] + 2.0, cy[14]);
    }
}

TEST_F(ClipPainterTest, TheTwoClipsShowDifferentFolders) {
    for (int f = 0; f < kClipFrames; ++f) {
        const QImage copying = PaintClipFrame(CLIP_COPYING, f);
        const QImage waiting = PaintClipFrame(CLIP_WAITING, f);
        // Computer against chip on the left, chip against display unit on the right.
        EXPECT_FALSE(SameIn(copying, waiting, kLeftFolderFront)) << "frame " << f;
        EXPECT_FALSE(SameIn(copying, waiting, kRightFolderFront)) << "frame " << f;
    }
}

TEST_F(ClipPainterTest, UnknownClipsAndFramesGiveNoImage) {
    for (const int clip : {0, 128, 129, 131, 133, -130}) {
        EXPECT_TRUE(PaintClipFrame(clip, 0).isNull()) << "clip " << clip;
    }
    for (const int clip : kClips) {
        EXPECT_TRUE(PaintClipFrame(clip, -1).isNull());
        EXPECT_TRUE(PaintClipFrame(clip, kClipFrames).isNull());
        EXPECT_FALSE(PaintClipFrame(clip, kClipFrames - 1).isNull());
    }
}

TEST_F(ClipPainterTest, TheModelBadgeIconHasEverySizeAndShowsSomething) {
    const QIcon icon = ModelBadgeIcon();
    ASSERT_FALSE(icon.isNull());
    QList<QSize> sizes = icon.availableSizes();
    std::sort(sizes.begin(), sizes.end(),
              [](const QSize& a, const QSize& b) { return a.width() < b.width(); });
    const QList<QSize> expected{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {256, 256}};
    EXPECT_EQ(sizes, expected);

    for (const QSize& size : expected) {
        SCOPED_TRACE(testing::Message() << "size " << size.width());
        const QImage image =
            icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_EQ(image.size(), size);
        const int area = size.width() * size.height();
        int opaque = 0;
        int dark = 0;
        int light = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb px = image.pixel(x, y);
                if (qAlpha(px) < 255) {
                    continue;
                }
                ++opaque;
                const int grey = qGray(px);
                dark += grey < 90 ? 1 : 0;
                light += grey > 170 ? 1 : 0;
            }
        }
        // A plate that fills most of the square, dark, with light marks on it; its rounded
        // corners leave the very corner pixels see-through.
        EXPECT_GT(opaque, area * 7 / 10);
        EXPECT_GT(dark, area / 3);
        EXPECT_GT(light, area / 30);
        EXPECT_LT(qAlpha(image.pixel(0, 0)), 255);
        EXPECT_LT(qAlpha(image.pixel(size.width() - 1, size.height() - 1)), 255);
    }
}

}  // namespace
