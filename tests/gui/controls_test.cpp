// The shared drawing and control utilities on a real X display: nine-part stretching checked
// pixel by pixel, and the cover that swallows a click sent through the X server. (The hand-cursor
// button and pop-up are worked as buttons and pop-ups by the settings and downloads window tests.)

#include <cstdint>

#include <gdk/gdk.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include "controls/Q7ZNonAcceptTouchsView.h"
#include "controls/StretchableImage.h"
#include "support/MainLoopPump.h"
#include "support/gui/GtkTestEnvironment.h"

namespace {

using StretchableImage::EdgeInsets;
using StretchableImage::stretchableImageWithSize;

// Clicks on the cover come through the X server; GTK reads this once, when it starts.
[[maybe_unused]] const bool kCoreDeviceEvents = g_setenv("GDK_CORE_DEVICE_EVENTS", "1", TRUE);

// ---- Nine-part stretching: a 7 × 5 source whose nine parts have distinct colours (0xRRGGBBAA),
// unequal insets on every side, and a second colour in the top-left corner to catch flips.

using Rgba = std::uint32_t;
constexpr Rgba kParts[3][3] = {
    {0xFF0000FF, 0x00FF00FF, 0x0000FFFF}, {0xFFFF00FF, 0xFFFFFFFF, 0x00FFFFFF}, {0xFF00FFFF, 0x808080FF, 0x000000FF}};
constexpr EdgeInsets kInsets{.top = 1, .left = 2, .bottom = 2, .right = 1};

Rgba pixelAt(const Glib::RefPtr<Gdk::Pixbuf>& image, int x, int y) {
    const guint8* p = image->get_pixels() + y * image->get_rowstride() + x * image->get_n_channels();
    return (Rgba{p[0]} << 24) | (Rgba{p[1]} << 16) | (Rgba{p[2]} << 8) | (image->get_has_alpha() ? p[3] : 0xFF);
}

// The colour the nine-part layout puts at x, y of a width × height image.
Rgba expectedAt(int x, int y, int width, int height) {
    if (x == 1 && y == 0) return 0xFF8000FF;
    const auto band = [](int at, int leading, int trailing, int total) {
        return at < leading ? 0 : at >= total - trailing ? 2 : 1;
    };
    return kParts[band(y, kInsets.top, kInsets.bottom, height)][band(x, kInsets.left, kInsets.right, width)];
}

Glib::RefPtr<Gdk::Pixbuf> makeNinePartSource(bool withAlpha = true) {
    auto image = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, withAlpha, 8, 7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) Gdk::Pixbuf::create_subpixbuf(image, x, y, 1, 1)->fill(expectedAt(x, y, 7, 5));
    return image;
}

// Insets that fit give the exact nine-part layout; those that do not must still fill the target
// and keep the corners.
TEST(ControlsTest, NinePartStretch) {
    GtkTestEnvironment::ensure();
    auto onePixel = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, 1, 1);
    onePixel->fill(kParts[2][2]);
    const struct {
        Glib::RefPtr<Gdk::Pixbuf> source;
        int width, height;
        EdgeInsets insets;
        bool fits;
    } cases[] = {
        {makeNinePartSource(), 20, 12, kInsets, true},          {makeNinePartSource(), 4, 4, kInsets, true},
        {makeNinePartSource(false), 9, 8, kInsets, true},       {makeNinePartSource(), 30, 10, {20, 20, 20, 20}, false},
        {makeNinePartSource(), 11, 6, {-3, -1, -2, -9}, false}, {onePixel, 5, 7, {8, 8, 8, 8}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " insets " << c.insets.top);
        const auto result = stretchableImageWithSize(c.source, c.width, c.height, c.insets);
        ASSERT_TRUE(result);
        ASSERT_EQ(std::make_pair(result->get_width(), result->get_height()), std::make_pair(c.width, c.height));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const Rgba expected = c.fits ? expectedAt(x, y, c.width, c.height) : pixelAt(result, x, y) | 0xFF;
                ASSERT_EQ(pixelAt(result, x, y), expected) << x << "," << y << (c.fits ? "" : " a hole");
            }
        EXPECT_EQ(pixelAt(result, c.width - 1, c.height - 1), kParts[2][2]) << "the corner is kept";
    }
    EXPECT_FALSE(stretchableImageWithSize({}, 10, 10, kInsets) ||
                 stretchableImageWithSize(makeNinePartSource(), 0, 10, kInsets) ||
                 stretchableImageWithSize(makeNinePartSource(), 10, -1, kInsets));
}

// A click sent through the X server and GDK at the middle of a button under the cover is
// swallowed; the same click reaches the button once the cover is hidden.
TEST(ControlsTest, CoverSwallowsTheClick) {
    GtkTestEnvironment::ensure();
    Gtk::Window window;
    Gtk::Overlay overlay;
    Gtk::Button below("Below");
    Q7ZNonAcceptTouchsView cover;
    int clicks = 0, pressesReachingWindow = 0;
    below.signal_clicked().connect([&] { ++clicks; });
    window.add_events(Gdk::BUTTON_PRESS_MASK);
    window.signal_button_press_event().connect([&](GdkEventButton*) { return ++pressesReachingWindow, false; }, false);
    overlay.add(below);
    overlay.add_overlay(cover);
    window.add(overlay);
    window.set_default_size(160, 100);
    // A corner where the other tests' windows (at the origin, or the application's at 100, 100)
    // never lie over it on the shared X server.
    window.move(1100, 900);
    window.show_all();
    pumpUntil([&] { return cover.get_mapped() && below.get_allocated_width() > 100; });
    const auto clickMiddle = [&] {
        for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE})
            gdk_test_simulate_button(window.get_window()->gobj(), window.get_allocated_width() / 2,
                                     window.get_allocated_height() / 2, 1, GdkModifierType(0), type);
    };
    clickMiddle();
    pumpFor(std::chrono::milliseconds(300));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(pressesReachingWindow, 0) << "the press travelled on to the window";
    cover.hide();
    pumpFor(std::chrono::milliseconds(50));
    clickMiddle();
    EXPECT_TRUE(pumpUntil([&] { return clicks == 1; }));
}

}  // namespace
