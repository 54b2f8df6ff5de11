// Window units against pixels (a Wayland compositor's scale): the conversions at the host's edge,
// and a click in window units on the toolbar laid out in pixels hitting the button drawn there.
#include <gtest/gtest.h>

#include "frame/ToolBar.h"
#include "platform/PixelRatio.h"

namespace {
TEST(PixelRatio, FromTheWindowsSizesAndBackWithoutDrift)
{
    // What SDL gave a window under sway at scales 1, 1.5 and 2 (units, then pixels).
    EXPECT_TRUE(PixelRatioOf(1276, 693, 1276, 693).IsOne());
    const SPixelRatio half = PixelRatioOf(849, 453, 1274, 680);
    EXPECT_NEAR(half.x, 1.5, 0.001);
    EXPECT_NEAR(half.y, 1.5, 0.002);
    const SPixelRatio two = PixelRatioOf(636, 333, 1272, 666);
    EXPECT_EQ(two.x, 2.0);
    // A window not yet sized keeps 1 rather than dividing by nothing.
    EXPECT_TRUE(PixelRatioOf(0, 0, 0, 0).IsOne());

    for (const SPixelRatio r : {SPixelRatio{}, half, two}) {
        const RECT units{3, 7, 852, 460};
        EXPECT_TRUE(UnitsOf(PixelsOf(units, r), r) == units) << r.x;
        // The whole window in units is the whole drawable in pixels.
        EXPECT_EQ(RectWidth(PixelsOf(RECT{0, 0, 849, 453}, r)), long(849 * r.x + 0.5)) << r.x;
    }
    EXPECT_TRUE(PixelsOf(RECT{0, 0, 636, 333}, two) == (RECT{0, 0, 1272, 666}));
    EXPECT_TRUE(UnitsOf(RECT{0, 0, 2560, 1440}, two) == (RECT{0, 0, 1280, 720}));
    // A length never shrinks to no unit at all.
    EXPECT_EQ(UnitsOf(1, 2.0), 1);
    EXPECT_EQ(UnitsOf(960, 1.5), 640);
}

TEST(PixelRatio, AClickOnAButtonAtEveryScaleHitsThatButton)
{
    for (const double scale : {1.0, 1.5, 2.0}) {
        const SPixelRatio r{scale, scale};
        CToolBar bar;
        bar.m_scale = float(scale);
        for (int i = 0; i < 10; ++i) bar.AddButton(100 + i, "toolbar", "b" + std::to_string(i));
        bar.SetClientSize(long(1280 * scale), long(720 * scale));
        for (int i = 0; i < 10; ++i) {
            // The button's first and last unit under the pointer (a unit is scale pixels wide).
            const RECT b = UnitsOf(bar.ButtonRect(i), r);
            EXPECT_EQ(bar.HitTest(PixelsOf(CPoint(int(b.left) + 1, int(b.top) + 1), r).x,
                                  PixelsOf(CPoint(int(b.left) + 1, int(b.top) + 1), r).y), i) << scale;
            const CPoint last = PixelsOf(CPoint(int(b.right) - 2, int(b.bottom) - 2), r);
            EXPECT_EQ(bar.HitTest(last.x, last.y), i) << scale;
        }
        // Below the bar, in units at its height, is the universe, not a button.
        const CPoint below = PixelsOf(CPoint(20, int(bar.Height() / scale) + 1), r);
        EXPECT_EQ(bar.HitTest(below.x, below.y), -1) << scale;
        // The bar keeps its size on the screen: 38 units a button, whatever the scale.
        EXPECT_NEAR(RectWidth(bar.ButtonRect(0)) / scale, double(CToolBar::kButtonSize), 0.5) << scale;
    }
}
}  // namespace
