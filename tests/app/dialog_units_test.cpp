// The launch dialog's layout in pixels, against numbers worked out by hand from the template
// (1 unit = 1.5 px across, 1.625 px down, halves rounded up), and its geometry.
#include "app/dialog_units.h"
#include "resources/launch_dialog_layout.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

bool contains(const PixelRect& outer, const PixelRect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool overlaps(const PixelRect& a, const PixelRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

PixelRect pixelsOf(const DialogControl& c) {
    return dialogRectToPixels(c.x, c.y, c.width, c.height);
}

TEST(DialogUnits, SingleValues) {
    struct Case {
        int units, pixelsX, pixelsY;
    };
    const Case cases[] = {
        {0, 0, 0},   {1, 2, 2},       {2, 3, 3},       {3, 5, 5},    {4, 6, 7},    {8, 12, 13},
        {7, 11, 11}, {165, 248, 268}, {103, 155, 167}, {-1, -2, -2}, {-3, -5, -5}, {1000, 1500, 1625},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dialogUnitsToPixelsX(c.units), c.pixelsX) << c.units;
        EXPECT_EQ(dialogUnitsToPixelsY(c.units), c.pixelsY) << c.units;
    }
}

TEST(DialogUnits, LaunchDialogControlsInPixels) {
    struct Case {
        int id;
        const char* text;
        PixelRect pixels;
    };
    const Case cases[] = {
        {CONTROL_LAUNCH, "Launch", {11, 132, 75, 23}},
        {CONTROL_EXIT, "Exit", {162, 132, 75, 23}},
        {CONTROL_STATIC, "OpenGL", {11, 11, 227, 117}},
        {CONTROL_MODE_640X480, "640x480", {29, 36, 65, 21}},
        {CONTROL_MODE_800X600, "800x600", {29, 59, 72, 18}},
        {CONTROL_MODE_1024X768, "1024x768", {29, 78, 72, 20}},
        {CONTROL_MODE_1152X864, "1152x864", {29, 101, 80, 18}},
        {CONTROL_WINDOWED, "Windowed", {137, 39, 80, 16}},
        {CONTROL_NO_LIGHTS, "No lights", {137, 63, 81, 23}},
        {CONTROL_NO_MUSIC, "No Music", {138, 96, 68, 18}},
    };
    ASSERT_EQ(std::size(cases), LAUNCH_DIALOG_CONTROLS.size());
    for (size_t i = 0; i < LAUNCH_DIALOG_CONTROLS.size(); ++i) {
        const DialogControl& control = LAUNCH_DIALOG_CONTROLS[i];
        SCOPED_TRACE(cases[i].text);
        EXPECT_EQ(control.id, cases[i].id);
        EXPECT_STREQ(control.text, cases[i].text);
        const PixelRect r = pixelsOf(control);
        EXPECT_EQ(r.x, cases[i].pixels.x);
        EXPECT_EQ(r.y, cases[i].pixels.y);
        EXPECT_EQ(r.width, cases[i].pixels.width);
        EXPECT_EQ(r.height, cases[i].pixels.height);
    }
}

TEST(DialogUnits, ControlsFitTheDialogAndOnlyTheGroupBoxHoldsOthers) {
    const PixelRect client{0, 0, dialogUnitsToPixelsX(LAUNCH_DIALOG_WIDTH),
                           dialogUnitsToPixelsY(LAUNCH_DIALOG_HEIGHT)};
    EXPECT_EQ(client.width, 248);
    EXPECT_EQ(client.height, 167);
    PixelRect group{};
    for (const DialogControl& c : LAUNCH_DIALOG_CONTROLS)
        if (c.kind == ControlKind::GroupBox) group = pixelsOf(c);
    for (const DialogControl& c : LAUNCH_DIALOG_CONTROLS) {
        SCOPED_TRACE(c.text);
        const PixelRect r = pixelsOf(c);
        EXPECT_TRUE(contains(client, r));
        // The mode and switch controls sit inside the "OpenGL" frame, the two buttons below it.
        const bool inFrame = c.kind == ControlKind::AutoRadioButton || c.kind == ControlKind::AutoCheckBox;
        const bool button = c.kind == ControlKind::DefaultPushButton || c.kind == ControlKind::PushButton;
        if (inFrame) {
            EXPECT_TRUE(contains(group, r));
        }
        if (button) {
            EXPECT_FALSE(overlaps(group, r));
        }
        for (const DialogControl& other : LAUNCH_DIALOG_CONTROLS) {
            if (&other == &c || other.kind == ControlKind::GroupBox || c.kind == ControlKind::GroupBox)
                continue;
            EXPECT_FALSE(overlaps(r, pixelsOf(other))) << "with " << other.text;
        }
    }
}

} // namespace
} // namespace pelx
