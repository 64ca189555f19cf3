// pelx-capture end to end on small data: the frames it writes for a given rate and range, and
// that two runs write the same files.
#include "timeline/show_data.h"
#include "tools/inspect/json_reader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace pelx {
namespace {

// The shell command that runs the capture from dir, with the environment settings given.
std::string captureCommand(const std::filesystem::path& dir, const std::string& arguments,
                           const std::string& environment = "") {
    return "cd '" + dir.string() + "' && " + environment + " '" PELX_CAPTURE_PATH "' " + arguments;
}

int runCapture(const std::filesystem::path& dir, const std::string& arguments) {
    return std::system((captureCommand(dir, arguments) + " 2>/dev/null").c_str());
}

// The standard output of a shell command.
std::string outputOf(const std::string& command) {
    std::string text;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

// Everything the capture writes to either stream, then "status N" with its exit status.
std::string captureReport(const std::filesystem::path& dir, const std::string& arguments,
                          const std::string& environment = "") {
    return outputOf(captureCommand(dir, arguments, environment) + " 2>&1; echo status $?");
}

bool haveProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::filesystem::path> framesIn(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> frames;
    if (!std::filesystem::exists(dir)) return frames;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) frames.push_back(entry.path());
    std::sort(frames.begin(), frames.end());
    return frames;
}

TEST(CaptureTest, WritesEveryFrameOfTheRangeAndRepeatsItself) {
    test::TempDir dir;
    test::writeShowData(dir.path);
    struct Case {
        const char* arguments;
        size_t frames;
    };
    // Show time of frame n is n / fps; the range is from <= t < to.
    const Case cases[] = {
        {"--fps 4 --to 2 --size 160x120 --out a", 8},
        {"--fps 4 --to 2 --size 160x120 --out b", 8},
        {"--fps 10 --from 1 --to 2 --size 160x120 --out c", 10},
        {"--fps 10 --from 1 --to 2 --every 3 --size 160x120 --out d", 3}, // frames 12, 15 and 18
        {"--fps 2 --to 1 --with-loading --size 160x120 --out e", 12},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(runCapture(dir.path, c.arguments), 0) << c.arguments;
        std::string out = std::string(c.arguments).substr(std::string(c.arguments).rfind(' ') + 1);
        EXPECT_EQ(framesIn(dir.path / out).size(), c.frames) << c.arguments;
    }
    std::vector<std::filesystem::path> a = framesIn(dir.path / "a"), b = framesIn(dir.path / "b");
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(test::readFile(a[i].string()), test::readFile(b[i].string())) << i;
    // Frames differ over time: the camera moves.
    EXPECT_NE(test::readFile(a.front().string()), test::readFile(a.back().string()));
}

TEST(CaptureTest, SaysSoWhenFfmpegIsMissing) {
    test::TempDir dir;
    test::writeShowData(dir.path);
    const std::string output =
        captureReport(dir.path, "--fps 4 --to 1 --size 160x120 --video v.mp4", "PATH=/nonexistent");
    EXPECT_NE(output.find("ffmpeg program is not installed"), std::string::npos) << output;
    EXPECT_EQ(output.find("status 0"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "v.mp4"));
}

// More frames than ffmpeg reads while it looks at its input, so that frames are still coming
// when it gives up.
TEST(CaptureTest, SaysSoWhenFfmpegFails) {
    if (!haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    test::TempDir dir;
    test::writeShowData(dir.path);
    struct Case {
        const char* video;
        const char* says;
    };
    // A folder that is not there is found before ffmpeg starts; a format ffmpeg does not know
    // ends ffmpeg, whose unfinished file is removed.
    const Case cases[] = {
        {"missing/folder/v.mp4", "cannot write missing/folder/v.mp4: No such file or directory"},
        {"v.nosuchformat", "pelx-capture: ffmpeg"}};
    for (const Case& c : cases) {
        const std::string output =
            captureReport(dir.path, std::string("--fps 30 --to 4 --size 160x120 --video ") + c.video);
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
        EXPECT_NE(output.find("status 2"), std::string::npos) << output;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();
    EXPECT_FALSE(std::filesystem::exists(dir.path / "v.nosuchformat"));
}

// The video's name reaches ffmpeg through the shell as it was given.
TEST(CaptureTest, VideoNamesMayHoldQuotesAndSpaces) {
    if (!haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    test::TempDir dir;
    test::writeShowData(dir.path);
    const std::string output = captureReport(
        dir.path, "--fps 4 --to 1 --size 160x120 --no-music --video \"it's a 'show'; touch x.mp4\"");
    EXPECT_NE(output.find("status 0"), std::string::npos) << output;
    EXPECT_GT(std::filesystem::file_size(dir.path / "it's a 'show'; touch x.mp4"), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.path / "x.mp4"));
}

// The soundtrack is a 440 Hz tone for its first 2 s and 1760 Hz after, so the tone heard at a
// point of the video tells where in the music it is.
TEST(CaptureTest, VideoMusicStartsWithTheFirstScene) {
    if (!haveProgram("ffmpeg") || !haveProgram("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
    test::TempDir dir;
    test::writeShowData(dir.path);
    const std::string in = "cd '" + dir.path.string() + "' && ";
    ASSERT_EQ(std::system((in + "ffmpeg -v error -f lavfi -i "
                                "'aevalsrc=sin(2*PI*if(lt(t\\,2)\\,440\\,1760)*t):s=44100:d=8' "
                                "-c:a libmp3lame data/zik.mp3")
                              .c_str()),
              0);
    struct Case {
        const char* arguments;
        int videoFrames;
        double musicStarts; // seconds into the video
        double toneHz;      // just after the music starts
    };
    // At 4 frames a second the ten loading frames last 2.5 s.
    const Case cases[] = {
        {"--fps 4 --to 1 --with-loading", 14, 2.5, 440},
        {"--fps 4 --from 2 --to 3", 4, 0.0, 1760},
        {"--fps 4 --from 2 --to 3 --with-loading", 14, 2.5, 1760},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::filesystem::remove(dir.path / "v.mp4");
        ASSERT_EQ(runCapture(dir.path, std::string(c.arguments) + " --size 160x120 --video v.mp4"), 0);
        const std::string frames = outputOf(in + "ffprobe -v error -select_streams v:0 -count_frames "
                                                 "-show_entries stream=nb_read_frames -of csv=p=0 v.mp4");
        EXPECT_EQ(std::atoi(frames.c_str()), c.videoFrames) << frames;
        const std::string start = outputOf(in + "ffprobe -v error -select_streams a:0 "
                                                "-show_entries stream=start_time -of csv=p=0 v.mp4");
        EXPECT_NEAR(std::atof(start.c_str()), c.musicStarts, 0.1) << start;

        // 0.3 s of sound from 0.1 s after the music starts, as 8 kHz mono samples.
        char window[96];
        std::snprintf(window, sizeof window, " -ss %.2f -t 0.3", c.musicStarts + 0.1);
        const std::string raw =
            outputOf(in + "ffmpeg -v error -i v.mp4" + window + " -vn -ac 1 -ar 8000 -f s16le -");
        ASSERT_GT(raw.size(), 2000u);
        int crossings = 0;
        int16_t previous = 0;
        for (size_t i = 0; i + 1 < raw.size(); i += 2) {
            int16_t sample;
            std::memcpy(&sample, raw.data() + i, 2);
            if ((sample < 0) != (previous < 0) && i > 0) ++crossings;
            previous = sample;
        }
        const double seconds = static_cast<double>(raw.size() / 2) / 8000.0;
        EXPECT_NEAR(crossings / 2.0 / seconds, c.toneHz, c.toneHz * 0.15);
    }
}

// The benchmark's JSON form, which other tools read: keys, their order and the figures' sense.
// The tunnel is the shortest scene: 20 s on the real clock.
TEST(CaptureTest, BenchmarkPrintsTheJsonFormOtherToolsRead) {
    test::TempDir dir;
    test::writeShowData(dir.path);
    const std::string text = outputOf(
        captureCommand(dir.path, "--benchmark --scene tunnel --json --size 160x120") + " 2>/dev/null");
    test::Json report;
    ASSERT_NO_THROW(report = test::parseJson(text)) << text;
    EXPECT_EQ(report.keyOrder, (std::vector<std::string>{"size", "loadMs", "scenes"}));
    EXPECT_EQ(report["size"].text, "160x120");
    ASSERT_EQ(report["loadMs"].size(), 10u);
    for (const test::Json& ms : report["loadMs"].items) EXPECT_GE(ms.value, 0.0);
    ASSERT_EQ(report["scenes"].size(), 1u);
    const test::Json& tunnel = report["scenes"][0];
    EXPECT_EQ(tunnel.keyOrder,
              (std::vector<std::string>{"name", "frames", "medianFrameMs", "p99FrameMs", "phaseMs"}));
    EXPECT_EQ(tunnel["name"].text, "tunnel");
    EXPECT_GT(tunnel["frames"].value, 20.0);
    EXPECT_GT(tunnel["medianFrameMs"].value, 0.0);
    EXPECT_GE(tunnel["p99FrameMs"].value, tunnel["medianFrameMs"].value);
    const test::Json& phases = tunnel["phaseMs"];
    EXPECT_EQ(phases.keyOrder,
              (std::vector<std::string>{"animate", "lighting", "meshPass", "particles", "present"}));
    double phaseSum = 0;
    for (const std::string& key : phases.keyOrder) {
        EXPECT_GE(phases[key].value, 0.0) << key;
        phaseSum += phases[key].value;
    }
    // The phases are parts of a frame; together they cannot take longer than the frames do.
    EXPECT_LE(phaseSum, 20000.0 / tunnel["frames"].value * 1.05);
}

TEST(CaptureTest, RefusesBadArguments) {
    test::TempDir dir;
    for (const char* arguments :
         {"", "--fps 0 --out x", "--size 10 --out x", "--scene road --out x", "--benchmark --scene nowhere",
          "--from 3 --to 2 --out x", "--bogus", "--json --out x"})
        EXPECT_NE(runCapture(dir.path, arguments), 0) << arguments;
    // The encoder's settings, refused before anything starts, with the reason.
    struct Case {
        const char* arguments;
        const char* says;
    };
    const Case cases[] = {
        {"--crf 52 --video v.mp4", "--crf needs a number from 0 (lossless) to 51"},
        {"--crf -1 --video v.mp4", "--crf needs a number from 0 (lossless) to 51"},
        {"--crf fine --video v.mp4", "--crf needs a number, not 'fine'"},
        {"--preset warp --video v.mp4", "unknown --preset warp (ultrafast,"},
        {"--crf 18 --out x", "--crf and --preset are for --video"},
        {"--preset fast --out x", "--crf and --preset are for --video"},
    };
    for (const Case& c : cases) {
        const std::string output = captureReport(dir.path, c.arguments);
        EXPECT_NE(output.find(c.says), std::string::npos) << c.arguments << ": " << output;
        EXPECT_NE(output.find("status 2"), std::string::npos) << c.arguments << ": " << output;
    }
}

// A run that writes nothing is a failure with its reason, never a quiet success.
TEST(CaptureTest, RunsThatWriteNothingSaySoAndFail) {
    test::TempDir dir;
    test::writeShowData(dir.path);
    struct Case {
        const char* arguments;
        const char* environment;
        const char* says;
    };
    const Case cases[] = {
        // The show lasts 283 s, known before any window opens (here none can).
        {"--fps 1 --from 400 --to 500 --out a", "SDL_VIDEODRIVER=nosuchdriver",
         "lies after the end of the show"},
        {"--fps 1 --from 400 --to 500 --with-loading --out b", "", "lies after the end of the show"},
        // Frames at 0 s and 1 s fall on either side of the range.
        {"--fps 1 --from 0.2 --to 0.5 --out c", "", "no frame was written"},
        {"--fps 4 --to 1 --out d", "SDL_VIDEODRIVER=nosuchdriver", "display window could not be opened"},
        {"--benchmark --scene tunnel", "SDL_VIDEODRIVER=nosuchdriver", "display window could not be opened"},
        // SDL's dummy driver makes windows but no OpenGL contexts.
        {"--fps 4 --to 1 --out e", "SDL_VIDEODRIVER=dummy", "OpenGL context could not be created"},
    };
    for (const Case& c : cases) {
        const std::string output =
            captureReport(dir.path, std::string(c.arguments) + " --size 160x120", c.environment);
        EXPECT_NE(output.find(c.says), std::string::npos) << c.arguments << ": " << output;
        EXPECT_NE(output.find("status 2"), std::string::npos) << c.arguments << ": " << output;
    }
    EXPECT_TRUE(framesIn(dir.path / "c").empty());
}

// A full disk ends the capture with the reason, and no frame under its final name is cut short
// (a PNG file is whole when it ends with its IEND chunk).
TEST(CaptureTest, AFullDiskLeavesOnlyWholeFrames) {
    test::SmallDisk disk(64 * 1024);
    if (!disk.mounted) GTEST_SKIP() << disk.reason;
    test::TempDir dir;
    test::writeShowData(dir.path);
    const std::filesystem::path frames = disk.dir.path / "frames";
    const std::string output =
        captureReport(dir.path, "--size 160x120 --fps 10 --to 60 --out '" + frames.string() + "'");
    EXPECT_NE(output.find("No space left on device"), std::string::npos) << output;
    EXPECT_NE(output.find("status 2"), std::string::npos) << output;
    const uint8_t iend[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    const std::vector<std::filesystem::path> files = framesIn(frames);
    ASSERT_FALSE(files.empty());
    for (const std::filesystem::path& file : files) {
        EXPECT_EQ(file.filename().string().rfind("frame-", 0), 0u) << "left behind: " << file;
        const std::vector<uint8_t> bytes = test::readFile(file.string());
        EXPECT_TRUE(bytes.size() > sizeof iend &&
                    std::equal(std::begin(iend), std::end(iend), bytes.end() - sizeof iend))
            << file << " is cut short at " << bytes.size() << " bytes";
    }
}

} // namespace
} // namespace pelx
