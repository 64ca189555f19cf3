// The capture's frame path on a drawn test pattern: what the back-buffer reader hands over, and
// what the writer puts in a PNG file and into the video pipe, against the back buffer read
// through plain glReadPixels. The width is odd, so a row is no multiple of 4 bytes in RGB.
#include "back_buffer_reader.h"
#include "frame_writer.h"
#include "support/gl_test_support.h"
#include "video_pipe.h"

#include <GL/gl.h>
#include <png.h>

namespace pelx {
namespace {

constexpr int WIDTH = 161, HEIGHT = 97;

// A pattern no flip, channel swap or row shift leaves as it was, drawn into the back buffer;
// returns it read back as R, G, B, A rows, bottom first.
std::vector<uint8_t> drawPattern(int seed) {
    std::vector<uint8_t> rgb(size_t(WIDTH) * HEIGHT * 3);
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x) {
            uint8_t* p = &rgb[(size_t(y) * WIDTH + x) * 3];
            p[0] = static_cast<uint8_t>(x * 3 + seed);
            p[1] = static_cast<uint8_t>(y * 5 + seed * 7);
            p[2] = static_cast<uint8_t>((x * y) ^ seed);
        }
    glViewport(0, 0, WIDTH, HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (GLenum state :
         {GL_DITHER, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_BLEND, GL_FOG, GL_ALPHA_TEST, GL_SCISSOR_TEST})
        glDisable(state);
    glRasterPos2f(-1, -1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(WIDTH, HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<uint8_t> rgba(size_t(WIDTH) * HEIGHT * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// The first pixel (x, y from the top-left) where an upright R, G, B picture with pixels of
// `step` bytes, B first when bgr, differs from the back buffer's R, G, B, A rows; empty if none.
std::string firstDifference(const std::vector<uint8_t>& backBuffer, const uint8_t* picture, size_t step,
                            bool bgr) {
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x) {
            const uint8_t* want = &backBuffer[(size_t(HEIGHT - 1 - y) * WIDTH + x) * 4];
            const uint8_t* got = picture + (size_t(y) * WIDTH + x) * step;
            for (int c = 0; c < 3; ++c)
                if (got[bgr ? 2 - c : c] != want[c])
                    return "pixel " + std::to_string(x) + "," + std::to_string(y) + " channel " +
                           std::to_string(c);
        }
    return "";
}

std::vector<uint8_t> decodePng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgb;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return rgb;
    image.format = PNG_FORMAT_RGB;
    EXPECT_EQ(image.width, unsigned(WIDTH));
    EXPECT_EQ(image.height, unsigned(HEIGHT));
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
    return rgb;
}

TEST(FramePipelineTest, FilesAndPipeHoldTheBackBuffer) {
    test::openTestDisplay(WIDTH, HEIGHT);
    // Depth 0 reads at once; depth 1 leaves the read in flight (in a pixel buffer where the
    // driver has them) while the next frame is drawn.
    for (int depth : {0, 1}) {
        SCOPED_TRACE("reads in flight " + std::to_string(depth));
        test::TempDir dir;
        VideoPipe pipe((dir.path / "frames.raw").string());
        std::string error;
        // What goes into the pipe, byte for byte.
        ASSERT_TRUE(pipe.start("cp /dev/stdin", &error)) << error;
        FrameWriterSettings settings;
        settings.width = WIDTH;
        settings.height = HEIGHT;
        settings.outDir = dir.path.string();
        settings.video = &pipe;
        settings.pngThreads = 2;
        settings.slots = 3;
        FrameWriter writer(settings);
        BackBufferReader reader(WIDTH, HEIGHT, depth);

        std::vector<std::vector<uint8_t>> drawn;
        for (int frame = 0; frame < 3; ++frame) {
            drawn.push_back(drawPattern(frame * 40));
            // A pattern that reached the back buffer as one colour would prove nothing.
            const size_t lastRow = size_t(HEIGHT - 1) * WIDTH * 4;
            ASSERT_FALSE(std::equal(drawn.back().begin(), drawn.back().begin() + WIDTH * 4,
                                    drawn.back().begin() + static_cast<std::ptrdiff_t>(lastRow)));
            reader.start(static_cast<uint64_t>(frame));
            while (reader.pending() > static_cast<size_t>(depth)) {
                uint8_t* pixels = writer.acquire();
                ASSERT_NE(pixels, nullptr) << writer.error();
                uint64_t number = 99;
                ASSERT_TRUE(reader.collect(pixels, &number));
                writer.submit(number);
            }
        }
        // The last frame's read outlives a cleared back buffer.
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        while (reader.pending() > 0) {
            uint8_t* pixels = writer.acquire();
            ASSERT_NE(pixels, nullptr);
            uint64_t number = 99;
            ASSERT_TRUE(reader.collect(pixels, &number));
            writer.submit(number);
        }
        ASSERT_TRUE(writer.drain()) << writer.error();
        EXPECT_EQ(writer.written(), 3u);
        writer.abandon();
        ASSERT_TRUE(pipe.finish(&error)) << error;

        const std::vector<uint8_t> piped = test::readFile((dir.path / "frames.raw").string());
        const size_t frameBytes = size_t(WIDTH) * HEIGHT * 3;
        ASSERT_EQ(piped.size(), 3 * frameBytes);
        for (size_t frame = 0; frame < drawn.size(); ++frame) {
            char name[32];
            std::snprintf(name, sizeof name, "frame-%06zu.png", frame);
            const std::vector<uint8_t> png = decodePng((dir.path / name).string());
            ASSERT_FALSE(png.empty()) << name;
            EXPECT_EQ(firstDifference(drawn[frame], png.data(), 3, false), "") << name;
            EXPECT_EQ(firstDifference(drawn[frame], piped.data() + frame * frameBytes, 3, false), "")
                << "piped frame " << frame;
        }
    }
}

} // namespace
} // namespace pelx
