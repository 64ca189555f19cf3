// The generated mask under the show's own walker: the first scene's calls, 30 frames a second
// for its 67 seconds, mark every pixel of the curve by 60 s and nothing else, each ink pixel
// becomes one logo particle at its place in the world, and none is born before 30 s, so the
// whole word still glows at the end.
#include "logo_mask.h"
#include "mask_walk.h"

#include "effects/mask_emitter.h"
#include "image/texture.h"
#include "particles/particle_system.h"
#include "platform/random.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

namespace pelx {
namespace {

struct RecordedTextures {
    RecordingTextureBackend backend;
    ScopedTextureBackend installed{&backend};
};

TEST(LogoInShow, FirstSceneWritesTheWholeOutlineByOneMinute) {
    test::TempDir dir;
    ASSERT_TRUE(writeLogoMask(dir.path));
    // The show reads the file with its own reader.
    std::vector<uint8_t> mask(MASK_SIZE, 0);
    loadMaskBmp((dir.path / MASK_FILE).string().c_str(), mask.data());
    const std::vector<uint8_t> original = mask;
    std::set<int> outline;
    size_t ink = 0;
    for (int i = 0; i < MASK_SIZE; ++i)
        if (original[size_t(i)] != 0) outline.insert(i), ink += original[size_t(i)] != MASK_EMITTED;
    ASSERT_GE(outline.size(), 900u);
    ASSERT_GE(ink, 380u);

    RecordedTextures textures;
    test::TestClock clock;
    resetRandom();
    ParticleSystem logo(10000, "data/fire.jpg", 40.0f, 150, 3.0f, 0.0f);
    ParticleSystem sparks(5000, "data/fire.jpg", 2.0f, 10, 10.0f, 80.0f);

    const int frames = 67 * 30;
    double wholeAt = -1;
    size_t markedBefore = 0;
    for (int frame = 1; frame <= frames; ++frame) {
        float elapsed = float(frame) / 30.0f;
        clock.clock.set(1000u + uint32_t(std::lround(frame * 1000.0 / 30.0)));
        emitFromMask(elapsed, 67.0f, mask.data(), 1400, logo, sparks, LOGO_START_X, LOGO_START_Y, 0);
        size_t marked = 0;
        for (int i : outline) marked += mask[size_t(i)] == MASK_EMITTED;
        ASSERT_GE(marked, markedBefore); // marks stay
        markedBefore = marked;
        if (marked == outline.size() && wholeAt < 0) wholeAt = elapsed;
        if (frame == 30 * 30) {
            EXPECT_EQ(logo.count, 0) << "ink written before 30 s has faded by the end";
        }
    }
    ASSERT_GT(wholeAt, 0.0) << "the outline was never written whole";
    EXPECT_LE(wholeAt, 60.0);
    EXPECT_GE(wholeAt, 45.0); // not so short that the scene's last views show nothing happening

    // Nothing but the outline was touched: every pixel off it is as it was.
    for (int i = 0; i < MASK_SIZE; ++i) {
        if (outline.count(i)) continue;
        ASSERT_EQ(mask[size_t(i)], original[size_t(i)]) << "pixel " << i % 320 << "," << i / 320;
    }
    // One logo particle per ink pixel. The lead-in comes down mask column 134 onto the word, so
    // the first particle is at the ink pixel touching the lead-in's lowest pixel there: mask
    // (c, r) is world (320 - c, 10, r - 50).
    EXPECT_EQ(size_t(logo.count), ink);
    ASSERT_GT(logo.count, 0);
    int lowest = 198;
    while (lowest > 0 && original[size_t(lowest * 320 + 134)] != LOGO_SILENT) --lowest;
    std::vector<Pixel> entries;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (original[size_t((lowest + dy) * 320 + 134 + dx)] == LOGO_INK)
                entries.push_back({134 + dx, lowest + dy});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(logo.particles[0].position.x, 320.0 - entries[0].x);
    EXPECT_DOUBLE_EQ(logo.particles[0].position.y, 10.0);
    EXPECT_DOUBLE_EQ(logo.particles[0].position.z, entries[0].y - 50.0);
    EXPECT_GE(logo.particles[0].birthTime, 1.0f + 30.0f);
    // Sparks rose along the way.
    EXPECT_GT(sparks.count, 0);
}

TEST(LogoInShow, TheGeneratorsWalkerModelAgreesWithTheShowsWalker) {
    LogoMask generated;
    ASSERT_TRUE(buildLogoMask(generated));
    RecordedTextures textures;
    test::TestClock clock;
    ParticleSystem logo(10000, "data/fire.jpg", 40.0f, 150, 3.0f, 0.0f);
    ParticleSystem sparks(5000, "data/fire.jpg", 2.0f, 10, 10.0f, 80.0f);
    // Walks of several lengths, each from a fresh mask: both mark the same pixels in the same order.
    for (int steps :
         {1, 57, generated.firstInkStep, generated.firstInkStep + 1, 900, generated.lastInkStep, 1400}) {
        SCOPED_TRACE(steps);
        std::vector<uint8_t> mask = generated.pixels;
        logo.count = 0;
        // elapsed / duration chosen so that the bound is exactly `steps`.
        emitFromMask(float(steps), 1400.0f, mask.data(), 1400, logo, sparks, LOGO_START_X, LOGO_START_Y, 0);
        MaskWalk model = walkMask(generated.pixels, steps, LOGO_START_X, LOGO_START_Y);
        ASSERT_EQ(size_t(logo.count), model.emitted.size());
        for (int k = 0; k < logo.count; ++k) {
            int p = model.emitted[size_t(k)];
            EXPECT_DOUBLE_EQ(logo.particles[k].position.x, 320.0 - p % 320);
            EXPECT_DOUBLE_EQ(logo.particles[k].position.z, p / 320 - 50.0);
        }
    }
}

} // namespace
} // namespace pelx
