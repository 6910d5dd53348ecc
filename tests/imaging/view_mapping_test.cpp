// Window points to shown pixels, and shown pixels back to the pixels of the file.
#include "imaging/view_mapping.h"

#include <gtest/gtest.h>

#include <vector>

using namespace nv;

TEST(ViewMapping, PixelUnderThePointerFollowsZoomScrollAndPlacement)
{
    const ScrollSize image{400, 300};
    // 200 %, not scrolled: (101, 51) lies on pixel (50, 25); 50 %: on (202, 102).
    EXPECT_EQ(ImagePixelAt({101, 51}, {0, 0}, image, ZoomedSize(image, 200)),
              (ScrollPoint{50, 25}));
    EXPECT_EQ(ImagePixelAt({101, 51}, {0, 0}, image, ZoomedSize(image, 50)),
              (ScrollPoint{202, 102}));
    // Scrolled to (300, 40) at 100 %.
    EXPECT_EQ(ImagePixelAt({10, 10}, {-300, -40}, {1000, 1000}, {1000, 1000}),
              (ScrollPoint{310, 50}));
    // Centred in the window: the offset counts, the margin reports nothing.
    EXPECT_EQ(ImagePixelAt({160, 210}, {150, 200}, {300, 200}, {300, 200}), (ScrollPoint{10, 10}));
    EXPECT_FALSE(ImagePixelAt({149, 210}, {150, 200}, {300, 200}, {300, 200}));
    EXPECT_FALSE(ImagePixelAt({160, 400}, {150, 200}, {300, 200}, {300, 200}));
    EXPECT_EQ(ImagePixelAt({449, 399}, {150, 200}, {300, 200}, {300, 200}),
              (ScrollPoint{299, 199}));
    EXPECT_FALSE(ImagePixelAt({0, 0}, {0, 0}, {0, 0}, {0, 0}));
}

TEST(ViewMapping, EachAxisUsesItsOwnScale)
{
    // 333 x 1000 at 10 % is drawn 33 x 100: the rows keep their tenth, the columns do not.
    const ScrollSize image{333, 1000};
    const ScrollSize zoomed = ZoomedSize(image, 10);
    EXPECT_EQ(ImagePixelAt({32, 99}, {0, 0}, image, zoomed), (ScrollPoint{322, 990}));
    EXPECT_FALSE(ImagePixelAt({33, 0}, {0, 0}, image, zoomed));
    // Every column of the drawn image maps to a pixel inside the image, last to last.
    for (int x = 0; x < zoomed.cx; ++x) {
        const auto p = ImagePixelAt({x, 0}, {0, 0}, image, zoomed);
        ASSERT_TRUE(p);
        EXPECT_LT(p->x, image.cx);
    }
}

namespace {

// A small image of distinct values, turned the way the image is: a source pixel (x, y) goes to
// (h-1-y, x) for 90, (w-1-x, h-1-y) for 180, (y, w-1-x) for 270, then upside down and
// mirrored as asked.
struct Grid
{
    int w, h;
    std::vector<int> v;
    int At(int x, int y) const { return v[size_t(y * w + x)]; }

    Grid Turned(int angle, bool flipRows, bool flipColumns) const
    {
        angle = ((angle % 360) + 360) % 360;
        const bool swap = angle == 90 || angle == 270;
        Grid out{swap ? h : w, swap ? w : h, std::vector<int>(v.size())};
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int nx = x, ny = y;
                if (angle == 90)
                    nx = h - 1 - y, ny = x;
                else if (angle == 180)
                    nx = w - 1 - x, ny = h - 1 - y;
                else if (angle == 270)
                    nx = y, ny = w - 1 - x;
                if (flipRows)
                    ny = out.h - 1 - ny;
                if (flipColumns)
                    nx = out.w - 1 - nx;
                out.v[size_t(ny * out.w + nx)] = At(x, y);
            }
        }
        return out;
    }
};

} // namespace

TEST(ViewMapping, TurnedPixelsMapBackToTheStoredPixel)
{
    Grid stored{5, 3, {}};
    for (int i = 0; i < 15; ++i)
        stored.v.push_back(i);

    struct Step
    {
        int angle;
        bool flipRows, flipColumns;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{90, false, false}},
        {{180, false, false}},
        {{270, false, false}},
        {{-90, false, false}},
        {{0, true, false}},
        {{0, false, true}},
        {{90, false, false}, {0, true, false}, {270, false, false}},
        {{90, false, false}, {90, false, false}, {0, false, true}, {90, true, true}},
    };
    for (const auto& sequence : sequences) {
        ImageOrientation o({stored.w, stored.h});
        Grid shown = stored;
        for (const Step& s : sequence) {
            ASSERT_TRUE(o.Apply(s.angle, s.flipRows, s.flipColumns));
            shown = shown.Turned(s.angle, s.flipRows, s.flipColumns);
        }
        ASSERT_EQ(o.ShownSize(), (ScrollSize{shown.w, shown.h}));
        for (int y = 0; y < shown.h; ++y) {
            for (int x = 0; x < shown.w; ++x) {
                const ScrollPoint p = o.ToStored({x, y});
                ASSERT_EQ(stored.At(p.x, p.y), shown.At(x, y))
                    << "steps " << sequence.size() << " at " << x << "," << y;
                EXPECT_EQ(o.ToShown(p), (ScrollPoint{x, y}));
            }
        }
    }
}

TEST(ViewMapping, FourQuarterTurnsRestoreTheStoredImage)
{
    ImageOrientation o({400, 300});
    EXPECT_TRUE(o.IsIdentity());
    EXPECT_FALSE(o.Apply(45, false, false));
    EXPECT_TRUE(o.IsIdentity());
    ASSERT_TRUE(o.Apply(90, false, false));
    EXPECT_EQ(o.ShownSize(), (ScrollSize{300, 400}));
    EXPECT_EQ(o.StoredSize(), (ScrollSize{400, 300}));
    EXPECT_FALSE(o.IsIdentity());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(o.Apply(90, false, false));
    EXPECT_TRUE(o.IsIdentity());
    ASSERT_TRUE(o.Apply(0, true, false));
    ASSERT_TRUE(o.Apply(0, true, false));
    EXPECT_TRUE(o.IsIdentity());
}
