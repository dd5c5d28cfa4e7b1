// The shared drawing and control utilities on a real X display:
//  - colours reach GDK with the exact components;
//  - nine-part stretching, checked pixel by pixel on a small image whose nine parts have
//    distinct colours (and whose top-left corner is two-coloured, to catch flips), plus the
//    sizes where the insets do not fit;
//  - the hand-cursor button: hover titles swapped by crossing events sent to its input window,
//    and the cursor on that window following enableCursor, also after the button is resized;
//  - the hand-cursor pop-up: the same cursor rules on the combo box's internal button;
//  - the cover: a click sent through the X server at a button below it does not click that
//    button (and does, with the cover hidden), and its dim colour as drawn.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gdk/gdk.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include "controls/GdkColor.h"
#include "controls/Q7ZCursorButton.h"
#include "controls/Q7ZCursorPopUpButton.h"
#include "controls/Q7ZNonAcceptTouchsView.h"
#include "controls/StretchableImage.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/MainLoopPump.h"
#include "support/gui/PrivateSessionBus.h"

namespace {

using Q7ZACUtility::EdgeInsets;
using Q7ZACUtility::stretchableImageWithSize;

class GtkFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Starting the private bus (GTestDBus) clears DISPLAY; put it back before GTK opens it.
        // Clicks in the cover tests are sent through the X server as core events.
        g_setenv("GDK_CORE_DEVICE_EVENTS", "1", TRUE);
        const char* display = g_getenv("DISPLAY");
        const std::string savedDisplay = display ? display : "";
        PrivateSessionBus::instance();
        if (!savedDisplay.empty()) g_setenv("DISPLAY", savedDisplay.c_str(), FALSE);
        GtkTestEnvironment::ensure();
        Gtk::Main::init_gtkmm_internals();
    }
};

// ---------------------------------------------------------------------------------------------
// Colours

class GdkColorTest : public GtkFixture {};

TEST_F(GdkColorTest, KeepsTheComponentsOfTheHexText) {
    const Gdk::RGBA color = Q7ZACUtility::gdkColorWithRGBHexString("#3468D6");
    EXPECT_DOUBLE_EQ(color.get_red(), 0x34 / 255.0);
    EXPECT_DOUBLE_EQ(color.get_green(), 0x68 / 255.0);
    EXPECT_DOUBLE_EQ(color.get_blue(), 0xD6 / 255.0);
    EXPECT_DOUBLE_EQ(color.get_alpha(), 1.0);
    EXPECT_EQ(Q7ZACUtility::gdkColorWithRGBHexString("nonsense").to_string(), "rgb(255,0,0)");
}

// ---------------------------------------------------------------------------------------------
// Nine-part stretching

using Rgba = std::uint32_t;  // 0xRRGGBBAA

constexpr Rgba kTopLeft = 0xFF0000FF, kTopLeftSecond = 0xFF8000FF, kTop = 0x00FF00FF,
               kTopRight = 0x0000FFFF, kLeft = 0xFFFF00FF, kCentre = 0xFFFFFFFF,
               kRight = 0x00FFFFFF, kBottomLeft = 0xFF00FFFF, kBottom = 0x808080FF,
               kBottomRight = 0x000000FF;

Rgba pixelAt(const Glib::RefPtr<Gdk::Pixbuf>& image, int x, int y) {
    const guint8* p = image->get_pixels() + y * image->get_rowstride() + x * image->get_n_channels();
    const Rgba alpha = image->get_has_alpha() ? p[3] : 0xFF;
    return (Rgba{p[0]} << 24) | (Rgba{p[1]} << 16) | (Rgba{p[2]} << 8) | alpha;
}

void setPixel(const Glib::RefPtr<Gdk::Pixbuf>& image, int x, int y, Rgba color) {
    guint8* p = image->get_pixels() + y * image->get_rowstride() + x * image->get_n_channels();
    p[0] = color >> 24;
    p[1] = (color >> 16) & 0xFF;
    p[2] = (color >> 8) & 0xFF;
    if (image->get_has_alpha()) p[3] = color & 0xFF;
}

// Which of three bands a coordinate falls in, given the lengths of the two caps.
int band(int position, int leading, int trailing, int total) {
    return position < leading ? 0 : position >= total - trailing ? 2 : 1;
}

Rgba partColour(int column, int row) {
    static const Rgba colours[3][3] = {{kTopLeft, kTop, kTopRight},
                                       {kLeft, kCentre, kRight},
                                       {kBottomLeft, kBottom, kBottomRight}};
    return colours[row][column];
}

constexpr int kSourceWidth = 7, kSourceHeight = 5;
// Unequal on every side, so that a swapped top and bottom or left and right shows.
constexpr EdgeInsets kInsets{.top = 1, .left = 2, .bottom = 2, .right = 1};

// 7 × 5, each of the nine parts its own colour; the top-left corner's second pixel differs.
Glib::RefPtr<Gdk::Pixbuf> makeNinePartSource(bool withAlpha = true) {
    auto image = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, withAlpha, 8, kSourceWidth, kSourceHeight);
    for (int y = 0; y < kSourceHeight; ++y) {
        for (int x = 0; x < kSourceWidth; ++x) {
            setPixel(image, x, y,
                     partColour(band(x, kInsets.left, kInsets.right, kSourceWidth),
                                band(y, kInsets.top, kInsets.bottom, kSourceHeight)));
        }
    }
    setPixel(image, 1, 0, kTopLeftSecond);
    return image;
}

void expectNineParts(const Glib::RefPtr<Gdk::Pixbuf>& result, int width, int height) {
    ASSERT_TRUE(result);
    ASSERT_EQ(result->get_width(), width);
    ASSERT_EQ(result->get_height(), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgba expected = partColour(band(x, kInsets.left, kInsets.right, width),
                                       band(y, kInsets.top, kInsets.bottom, height));
            if (x == 1 && y == 0) expected = kTopLeftSecond;
            ASSERT_EQ(pixelAt(result, x, y), expected) << "at " << x << "," << y;
        }
    }
}

class StretchableImageTest : public GtkFixture {};

TEST_F(StretchableImageTest, CornersKeepTheirPixelsAndEdgesAndCentreStretch) {
    expectNineParts(stretchableImageWithSize(makeNinePartSource(), 20, 12, kInsets), 20, 12);
}

TEST_F(StretchableImageTest, ShrinksTheMiddleWhenTheTargetIsSmaller) {
    expectNineParts(stretchableImageWithSize(makeNinePartSource(), 4, 4, kInsets), 4, 4);
}

TEST_F(StretchableImageTest, ImageWithoutAlphaGivesOpaqueResult) {
    expectNineParts(stretchableImageWithSize(makeNinePartSource(false), 9, 8, kInsets), 9, 8);
}

void expectFullyCovered(const Glib::RefPtr<Gdk::Pixbuf>& result, int width, int height) {
    ASSERT_TRUE(result);
    ASSERT_EQ(result->get_width(), width);
    ASSERT_EQ(result->get_height(), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(pixelAt(result, x, y) & 0xFF, 0xFFu) << "hole at " << x << "," << y;
        }
    }
}

TEST_F(StretchableImageTest, InsetsWiderThanTheSourceStillFillTheTarget) {
    const auto result = stretchableImageWithSize(makeNinePartSource(), 30, 10, {20, 20, 20, 20});
    expectFullyCovered(result, 30, 10);
    EXPECT_EQ(pixelAt(result, 0, 0), kTopLeft);
    EXPECT_EQ(pixelAt(result, 29, 9), kBottomRight);
}

// 8 × 6 in four uniform quadrants: left half red over magenta, right half blue over black.
Glib::RefPtr<Gdk::Pixbuf> makeQuadrantSource() {
    auto image = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, 8, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            setPixel(image, x, y, partColour(x < 4 ? 0 : 2, y < 3 ? 0 : 2));
        }
    }
    return image;
}

TEST_F(StretchableImageTest, CapsWiderThanTheTargetShrinkButKeepTheirCorners) {
    // The source keeps one middle pixel (caps 3 + 4 of 8, 2 + 3 of 6); the 4 × 4 target then
    // shrinks the caps in proportion to 1 + 3 on both axes, leaving no middle.
    const auto result = stretchableImageWithSize(makeQuadrantSource(), 4, 4, {3, 4, 3, 4});
    expectFullyCovered(result, 4, 4);
    EXPECT_EQ(pixelAt(result, 0, 0), kTopLeft);
    EXPECT_EQ(pixelAt(result, 3, 0), kTopRight);
    EXPECT_EQ(pixelAt(result, 1, 0), kTopRight);
    EXPECT_EQ(pixelAt(result, 0, 1), kBottomLeft);
    EXPECT_EQ(pixelAt(result, 0, 3), kBottomLeft);
    EXPECT_EQ(pixelAt(result, 3, 3), kBottomRight);
}

TEST_F(StretchableImageTest, NegativeInsetsStretchTheWholeImage) {
    const auto source = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, 3, 3);
    source->fill(kRight);
    const auto result = stretchableImageWithSize(source, 11, 6, {-3, -1, -2, -9});
    expectFullyCovered(result, 11, 6);
    EXPECT_EQ(pixelAt(result, 5, 3), kRight);
}

TEST_F(StretchableImageTest, OnePixelSourceFillsAnySize) {
    const auto source = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, 1, 1);
    source->fill(kBottom);
    const auto result = stretchableImageWithSize(source, 5, 7, {8, 8, 8, 8});
    expectFullyCovered(result, 5, 7);
    EXPECT_EQ(pixelAt(result, 4, 6), kBottom);
}

TEST_F(StretchableImageTest, NoImageForAnEmptySourceOrSize) {
    EXPECT_FALSE(stretchableImageWithSize({}, 10, 10, kInsets));
    EXPECT_FALSE(stretchableImageWithSize(makeNinePartSource(), 0, 10, kInsets));
    EXPECT_FALSE(stretchableImageWithSize(makeNinePartSource(), 10, -1, kInsets));
}

// ---------------------------------------------------------------------------------------------
// Hand-cursor button

// Sends a crossing event to a widget's input window, as GDK does when the pointer moves.
void sendCrossing(Gtk::Widget& widget, const Glib::RefPtr<Gdk::Window>& window, GdkEventType type) {
    GdkEvent* event = gdk_event_new(type);
    event->crossing.window = GDK_WINDOW(g_object_ref(window->gobj()));
    event->crossing.send_event = TRUE;
    event->crossing.mode = GDK_CROSSING_NORMAL;
    event->crossing.detail = GDK_NOTIFY_NONLINEAR;
    event->crossing.time = GDK_CURRENT_TIME;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window->gobj()));
    gdk_event_set_device(event, gdk_seat_get_pointer(seat));
    gtk_widget_event(widget.gobj(), event);
    gdk_event_free(event);
}

class ShownWidget {
public:
    // In a Gtk::Fixed, so that the widget gets exactly the size it asks for.
    explicit ShownWidget(Gtk::Widget& widget) {
        m_fixed.put(widget, 10, 10);
        m_window.add(m_fixed);
        m_window.set_default_size(300, 200);
        m_window.show_all();
        pumpUntil([&widget] { return widget.get_mapped() && widget.get_allocated_width() > 1; });
    }
    Gtk::Window& window() { return m_window; }

private:
    Gtk::Window m_window;
    Gtk::Fixed m_fixed;
};

const char* kNormal = "<span foreground=\"#3468D6\">report.pdf</span>";
const char* kHighlight = "<span foreground=\"#3468D6\" underline=\"single\">report.pdf</span>";

class CursorButtonTest : public GtkFixture {
protected:
    Glib::ustring title() { return static_cast<Gtk::Label*>(m_button.get_child())->get_label(); }
    void enter() { sendCrossing(m_button, m_button.get_event_window(), GDK_ENTER_NOTIFY); }
    void leave() { sendCrossing(m_button, m_button.get_event_window(), GDK_LEAVE_NOTIFY); }
    Glib::RefPtr<Gdk::Cursor> shownCursor() { return m_button.get_event_window()->get_cursor(); }
    void resizeTo(int width, int height) {
        m_button.set_size_request(width, height);
        pumpUntil([&] { return m_button.get_allocated_height() == height; });
        ASSERT_EQ(m_button.get_allocated_height(), height);
    }

    Q7ZCursorButton m_button;
};

TEST_F(CursorButtonTest, SwapsTitlesWhileThePointerIsInside) {
    m_button.set_label("");
    static_cast<Gtk::Label*>(m_button.get_child())->set_markup(kNormal);
    m_button.setNormalString(Glib::ustring(kNormal));
    m_button.setHighlightString(Glib::ustring(kHighlight));
    ShownWidget shown(m_button);

    enter();
    EXPECT_EQ(title(), kHighlight);
    leave();
    EXPECT_EQ(title(), kNormal);

    resizeTo(150, 60);  // the hover area follows the new frame
    enter();
    EXPECT_EQ(title(), kHighlight);
    leave();
    EXPECT_EQ(title(), kNormal);
}

TEST_F(CursorButtonTest, WithoutHighlightTheTitleStaysWhileInside) {
    m_button.set_label("Save");
    m_button.setNormalString(Glib::ustring("<b>Save</b>"));
    ShownWidget shown(m_button);

    enter();
    EXPECT_EQ(title(), "Save");
    leave();
    EXPECT_EQ(title(), "<b>Save</b>");
}

TEST_F(CursorButtonTest, WithoutNormalStringLeavingKeepsTheHoverTitle) {
    m_button.set_label("Open");
    m_button.setHighlightString(Glib::ustring("<u>Open</u>"));
    ShownWidget shown(m_button);

    enter();
    leave();
    EXPECT_EQ(title(), "<u>Open</u>");
}

TEST_F(CursorButtonTest, DisabledCursorStaysUnsetAfterAFrameChange) {
    m_button.set_label("Cancel");
    ShownWidget shown(m_button);
    EXPECT_FALSE(shownCursor());

    resizeTo(120, 50);
    EXPECT_FALSE(shownCursor());
    enter();
    EXPECT_FALSE(shownCursor());
}

TEST_F(CursorButtonTest, EnabledCursorIsThePointingHand) {
    m_button.set_label("Cancel");
    m_button.setEnableCursor(true);
    ShownWidget shown(m_button);

    const auto hand = Gdk::Cursor::create(m_button.get_display(), "pointer");
    ASSERT_TRUE(shownCursor());
    EXPECT_EQ(shownCursor()->gobj(), hand->gobj());
}

TEST_F(CursorButtonTest, EnableCursorTakesEffectAtTheNextReset) {
    m_button.set_label("Cancel");
    ShownWidget shown(m_button);

    m_button.setEnableCursor(true);
    EXPECT_FALSE(shownCursor());
    resizeTo(130, 44);
    EXPECT_TRUE(shownCursor());

    m_button.setEnableCursor(false);
    m_button.resetCursorRects();
    EXPECT_FALSE(shownCursor());
}

TEST_F(CursorButtonTest, OwnCursorReplacesTheHand) {
    m_button.set_label("Cancel");
    ShownWidget shown(m_button);
    m_button.setCursor(Gdk::Cursor::create(m_button.get_display(), Gdk::CROSSHAIR));
    m_button.setEnableCursor(true);
    m_button.resetCursorRects();

    ASSERT_TRUE(shownCursor());
    EXPECT_EQ(shownCursor()->get_cursor_type(), Gdk::CROSSHAIR);
}

// ---------------------------------------------------------------------------------------------
// Hand-cursor pop-up

class CursorPopUpTest : public GtkFixture {
protected:
    CursorPopUpTest() {
        m_popUp.append("First");
        m_popUp.append("Second");
        m_popUp.set_active(0);
    }
    // The cursors on the pop-up's input windows; fails the test when it has none.
    std::vector<GdkCursor*> shownCursors() {
        std::vector<GdkCursor*> cursors;
        for (const auto& window : m_popUp.cursorWindows()) cursors.push_back(gdk_window_get_cursor(window->gobj()));
        EXPECT_FALSE(cursors.empty());
        return cursors;
    }

    Q7ZCursorPopUpButton m_popUp;
};

TEST_F(CursorPopUpTest, CursorFollowsEnableCursor) {
    EXPECT_FALSE(m_popUp.enableCursor());
    ShownWidget shown(m_popUp);
    for (GdkCursor* cursor : shownCursors()) EXPECT_EQ(cursor, nullptr);

    m_popUp.setEnableCursor(true);
    m_popUp.resetCursorRects();
    const auto hand = Gdk::Cursor::create(m_popUp.get_display(), "pointer");
    for (GdkCursor* cursor : shownCursors()) EXPECT_EQ(cursor, hand->gobj());

    m_popUp.setEnableCursor(false);
    m_popUp.set_size_request(160, 40);
    pumpUntil([&] { return m_popUp.get_allocated_height() == 40; });
    for (GdkCursor* cursor : shownCursors()) EXPECT_EQ(cursor, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Cover view

class CoverTest : public GtkFixture {
protected:
    CoverTest() {
        m_below.signal_clicked().connect([this] { ++m_clicks; });
        m_window.add_events(Gdk::BUTTON_PRESS_MASK);
        m_window.signal_button_press_event().connect(
            [this](GdkEventButton*) {
                ++m_pressesReachingWindow;
                return false;
            },
            false);
        m_overlay.add(m_below);
        m_overlay.add_overlay(m_cover);
        m_window.add(m_overlay);
        m_window.set_default_size(160, 100);
        m_window.show_all();
        pumpUntil([this] { return m_cover.get_mapped() && m_below.get_allocated_width() > 100; });
    }
    ~CoverTest() override { m_window.hide(); }

    // A real button click at the middle of the window, routed by the X server and GDK.
    void clickMiddle() {
        GdkWindow* window = m_window.get_window()->gobj();
        const int x = m_window.get_allocated_width() / 2, y = m_window.get_allocated_height() / 2;
        gdk_test_simulate_button(window, x, y, 1, GdkModifierType(0), GDK_BUTTON_PRESS);
        gdk_test_simulate_button(window, x, y, 1, GdkModifierType(0), GDK_BUTTON_RELEASE);
    }

    Gtk::Window m_window;
    Gtk::Overlay m_overlay;
    Gtk::Button m_below{"Below"};
    Q7ZNonAcceptTouchsView m_cover;
    int m_clicks = 0;
    int m_pressesReachingWindow = 0;
};

TEST_F(CoverTest, ButtonBelowIsClickableWithoutTheCover) {
    m_cover.hide();
    pumpFor(std::chrono::milliseconds(50));
    clickMiddle();
    EXPECT_TRUE(pumpUntil([this] { return m_clicks == 1; }));
}

TEST_F(CoverTest, CoverSwallowsTheClick) {
    clickMiddle();
    pumpFor(std::chrono::milliseconds(300));
    EXPECT_EQ(m_clicks, 0);
    EXPECT_EQ(m_pressesReachingWindow, 0) << "the press travelled on to the window";
}

// The centre pixel of the cover drawn on its own, as premultiplied ARGB.
std::uint32_t drawnCentre(Q7ZNonAcceptTouchsView& cover) {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, cover.get_allocated_width(),
                                               cover.get_allocated_height());
    const auto context = Cairo::Context::create(surface);
    gtk_widget_draw(GTK_WIDGET(cover.gobj()), context->cobj());
    surface->flush();
    const unsigned char* row = surface->get_data() + (surface->get_height() / 2) * surface->get_stride();
    return reinterpret_cast<const std::uint32_t*>(row)[surface->get_width() / 2];
}

TEST_F(CoverTest, DimsWithHalfBlackOnlyWhenAsked) {
    EXPECT_EQ(drawnCentre(m_cover), 0u);
    m_cover.dimBackground();
    const std::uint32_t pixel = drawnCentre(m_cover);
    EXPECT_NEAR(static_cast<int>(pixel >> 24), 128, 1);
    EXPECT_EQ(pixel & 0x00FFFFFF, 0u);
}

}  // namespace
