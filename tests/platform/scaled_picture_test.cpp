#include "platform/scaled_picture.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

TEST(ScaledPictureTest, FillsTheHeightOrWidthCentredInProportion) {
    // Worked by hand: a 4:3 picture over a wider screen takes its height and 4/3 of it in width,
    // over a narrower one its width and 3/4 of it in height; the bars share what is left, the
    // odd pixel going to the right (top) one.
    struct Case {
        int pictureWidth, pictureHeight, screenWidth, screenHeight;
        PictureRect expected;
    } cases[] = {
        {800, 600, 1920, 1080, {240, 0, 1440, 1080}},  // 16:9
        {1024, 768, 1920, 1200, {160, 0, 1600, 1200}}, // 16:10
        {800, 600, 1280, 1024, {0, 32, 1280, 960}},    // 5:4, narrower than 4:3
        {1152, 864, 2560, 1080, {560, 0, 1440, 1080}}, // 21:9
        {640, 480, 3440, 1440, {760, 0, 1920, 1440}},  // 21:9
        {640, 480, 1366, 768, {171, 0, 1024, 768}},    // odd bars: 342 / 2
        {800, 600, 1365, 767, {171, 0, 1023, 767}},    // 767 x 4/3 = 1022.67 rounds up
        {1152, 864, 1001, 1000, {0, 124, 1001, 751}},  // 1001 x 3/4 = 750.75; 249 / 2
        {800, 600, 3840, 2160, {480, 0, 2880, 2160}},  // a scaled desktop's drawable
        {540, 960, 1080, 1920, {0, 0, 1080, 1920}},    // exactly in proportion
        {800, 600, 1080, 1920, {0, 555, 1080, 810}},   // a portrait screen
        {1152, 864, 1024, 600, {112, 0, 800, 600}},    // a screen smaller than the picture
        {800, 600, 800, 600, {0, 0, 800, 600}},        {800, 600, 0, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const PictureRect r =
            scaledPictureRect(c.pictureWidth, c.pictureHeight, c.screenWidth, c.screenHeight);
        SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight << " on " << c.screenWidth
                                        << "x" << c.screenHeight);
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.width, c.expected.width);
        EXPECT_EQ(r.height, c.expected.height);
    }
}

} // namespace
} // namespace pelx
