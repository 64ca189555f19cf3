// The particle pool on the virtual clock: capacity, the one-per-call rate rule as the float
// wall seconds give it, expiry, and emitAt-only systems.
#include "particles/particle_system.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace pelx {
namespace {

class ParticleSystemTest : public ::testing::Test {
  protected:
    // Sets the clock to ms and runs one update.
    void updateAt(ParticleSystem& system, uint32_t ms) {
        clock.clock.set(ms);
        system.update();
    }

    RecordingTextureBackend textures;
    ScopedTextureBackend installed{&textures};
    test::TestClock clock{1000};
};

TEST_F(ParticleSystemTest, ConstructionLoadsTheSpriteAndStartsEmpty) {
    ParticleSystem system(50, "data/flare.jpg", 4.0f, 5, 1.5f, 50.0f);
    ASSERT_EQ(textures.entries().size(), 1u);
    EXPECT_EQ(textures.entries()[0].path, "data/flare.jpg");
    EXPECT_EQ(system.texture, textures.entries()[0].id);
    EXPECT_EQ(system.count, 0);
    EXPECT_EQ(system.lastEmitTime, 0.0f);
}

TEST_F(ParticleSystemTest, PoolHoldsOneParticleFewerThanItsCapacity) {
    struct Case {
        int capacity;
        int expected;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {2, 1}, {5, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        // Explicit emission, well past the capacity.
        ParticleSystem direct(c.capacity, "p.jpg", 100.0f, 10, 1, 0);
        for (int i = 0; i < 10; ++i) direct.emitAt(Vec3d{double(i), 0, 0});
        EXPECT_EQ(direct.count, c.expected);
        for (int i = 0; i < direct.count; ++i) EXPECT_EQ(direct.particles[i].position.x, double(i));

        // Rate emission, one second between calls so every call owes particles.
        ParticleSystem rated(c.capacity, "p.jpg", 100.0f, 10, 1, 0);
        for (uint32_t ms = 1000; ms <= 12000; ms += 1000) updateAt(rated, ms);
        EXPECT_EQ(rated.count, c.expected);
    }
}

TEST_F(ParticleSystemTest, FirstUpdateOnlyRecordsTheTime) {
    ParticleSystem system(100, "p.jpg", 10.0f, 1000, 1, 0);
    system.emitPosition = Vec3d{1, 2, 3};
    updateAt(system, 4000);
    EXPECT_EQ(system.count, 0);
    EXPECT_EQ(system.lastEmitTime, 4.0f);
    updateAt(system, 4500); // 500 particles owed, one added
    ASSERT_EQ(system.count, 1);
    EXPECT_EQ(system.particles[0].position, (Vec3d{1, 2, 3}));
    EXPECT_EQ(system.particles[0].birthTime, 4.5f);
    EXPECT_EQ(system.particles[0].deathTime, 14.5f);
}

TEST_F(ParticleSystemTest, RateAddsAtMostOneParticlePerCall) {
    // Rate 10 at calls 0.25 s apart owes 2.5 particles a call; only one is ever added.
    ParticleSystem system(100, "p.jpg", 100.0f, 10, 1, 0);
    for (int call = 0; call < 8; ++call) {
        updateAt(system, 1000 + 250 * call);
        EXPECT_EQ(system.count, call) << "call " << call;
    }
}

TEST_F(ParticleSystemTest, CallsCloserThanTheRateWaitForAFullTenthAsFloatSecondsGiveIt) {
    // Rate 10, calls 50 ms apart. Worked from the float wall seconds: from 2 s on,
    // 2.2f - 2.1f falls just short of 0.1, so that emission slips to the next call.
    struct Case {
        uint32_t startMs;
        std::vector<int> countsAfterEachCall;
    };
    const Case cases[] = {
        {1000, {0, 1, 1, 2, 2, 3, 3, 4}},
        {2000, {0, 1, 1, 1, 2, 2, 3, 3}},
        {100000, {0, 0, 1, 1, 2, 2, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startMs);
        ParticleSystem system(100, "p.jpg", 100.0f, 10, 1, 0);
        updateAt(system, c.startMs);
        for (size_t k = 0; k < c.countsAfterEachCall.size(); ++k) {
            updateAt(system, c.startMs + 50 * uint32_t(k + 1));
            EXPECT_EQ(system.count, c.countsAfterEachCall[k]) << "at " << c.startMs + 50 * (k + 1) << " ms";
        }
    }
}

TEST_F(ParticleSystemTest, UpdateRemovesEveryParticleWhoseDeathHasCome) {
    // Four particles born 0.1 s apart, each living 1 s; rate 0 so update only expires.
    struct Case {
        uint32_t nowMs;
        std::vector<double> survivors; // x of the particles left, oldest first
    };
    const Case cases[] = {
        {1999, {0, 1, 2, 3}},
        {2000, {1, 2, 3}}, // deathTime equal to now counts as dead
        {2250, {3}},       // three neighbours in one call
        {2300, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nowMs);
        ParticleSystem system(10, "p.jpg", 1.0f, 0, 1, 0);
        for (int i = 0; i < 4; ++i) {
            clock.clock.set(1000 + 100 * i);
            system.emitAt(Vec3d{double(i), 0, 0});
        }
        clock.clock.set(c.nowMs);
        if (c.nowMs == 2000) {
            ASSERT_EQ(system.particles[0].deathTime, wallSeconds());
        }
        system.update();
        ASSERT_EQ(system.count, int(c.survivors.size()));
        for (int i = 0; i < system.count; ++i) EXPECT_EQ(system.particles[i].position.x, c.survivors[i]);
    }
}

TEST_F(ParticleSystemTest, ExplicitEmissionNeverExpiresAnything) {
    ParticleSystem system(10, "p.jpg", 1.0f, 150, 1, 0);
    system.emitAt(Vec3d{1, 0, 0});
    clock.clock.set(60000); // long past the first particle's death
    system.emitAt(Vec3d{2, 0, 0});
    system.emitAt(Vec3d{3, 0, 0});
    EXPECT_EQ(system.count, 3);
    EXPECT_EQ(system.particles[0].position.x, 1);
    EXPECT_EQ(system.lastEmitTime, 0.0f); // emitAt leaves the rate clock alone
}

TEST_F(ParticleSystemTest, FullPoolKeepsItsDebtAndEmitsOnceASlotFrees) {
    ParticleSystem system(3, "p.jpg", 1.0f, 10, 1, 0);
    updateAt(system, 1000);
    updateAt(system, 1200);
    updateAt(system, 1400);
    ASSERT_EQ(system.count, 2);
    const float lastEmission = system.lastEmitTime;
    EXPECT_FLOAT_EQ(lastEmission, 1.4f);
    updateAt(system, 1600); // full: nothing added, the time of the last emission stays
    updateAt(system, 1800);
    EXPECT_EQ(system.count, 2);
    EXPECT_EQ(system.lastEmitTime, lastEmission);
    updateAt(system, 2200); // still full when emitting, then the 1.2 s particle dies
    ASSERT_EQ(system.count, 1);
    EXPECT_EQ(system.particles[0].birthTime, lastEmission);
    updateAt(system, 2210); // 10 ms later: the old debt pays at once
    ASSERT_EQ(system.count, 2);
    EXPECT_FLOAT_EQ(system.particles[1].birthTime, 2.21f);
}

TEST_F(ParticleSystemTest, RemoveAtKeepsTheOrderOfTheRest) {
    ParticleSystem system(10, "p.jpg", 5.0f, 0, 1, 0);
    for (int i = 0; i < 5; ++i) system.emitAt(Vec3d{double(i), 0, 0});
    system.removeAt(1);
    system.removeAt(3);
    ASSERT_EQ(system.count, 3);
    EXPECT_EQ(system.particles[0].position.x, 0);
    EXPECT_EQ(system.particles[1].position.x, 2);
    EXPECT_EQ(system.particles[2].position.x, 3);
}

TEST_F(ParticleSystemTest, RemoveAtOutsideTheLiveParticlesChangesNothing) {
    struct Case {
        int live;
        int index;
    };
    const Case cases[] = {{3, 3}, {3, 4}, {3, -1}, {0, 0}, {3, INT32_MIN}, {3, INT32_MAX}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.live << " live, index " << c.index);
        ParticleSystem system(10, "p.jpg", 5.0f, 0, 1, 0);
        for (int i = 0; i < c.live; ++i) system.emitAt(Vec3d{double(i), 0, 0});
        system.removeAt(c.index);
        ASSERT_EQ(system.count, c.live);
        for (int i = 0; i < c.live; ++i) EXPECT_EQ(system.particles[i].position.x, double(i));
        // Emission afterwards still fills the next slot.
        system.emitAt(Vec3d{9, 0, 0});
        ASSERT_EQ(system.count, c.live + 1);
        EXPECT_EQ(system.particles[c.live].position.x, 9);
    }
}

TEST_F(ParticleSystemTest, ReleasedSystemStaysEmpty) {
    ParticleSystem system(10, "p.jpg", 5.0f, 10, 1, 0);
    system.emitAt(Vec3d{});
    system.release();
    EXPECT_EQ(system.count, 0);
    // A pass that still runs on a released system must not write into the freed pool.
    system.emitAt(Vec3d{});
    updateAt(system, 9000);
    EXPECT_EQ(system.count, 0);
}

} // namespace
} // namespace pelx
