// Canvas and coverage operations, and the JPEG writer on libjpeg's compressor.
#include "canvas.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>

namespace pelx {

float clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float smoothstep(float edge0, float edge1, float v) {
    float t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Canvas makeCanvas(int width, int height, Rgb fill) {
    Canvas canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.pixels.assign(size_t(width) * size_t(height), fill);
    return canvas;
}

void paint(Canvas& canvas, const std::function<Rgb(float u, float v)>& shade) {
    for (int y = 0; y < canvas.height; ++y) {
        float v = (float(y) + 0.5f) / float(canvas.height);
        for (int x = 0; x < canvas.width; ++x)
            canvas.at(x, y) = shade((float(x) + 0.5f) / float(canvas.width), v);
    }
}

std::vector<uint8_t> toRgbBytes(const Canvas& canvas) {
    std::vector<uint8_t> bytes(canvas.pixels.size() * 3);
    size_t i = 0;
    for (const Rgb& p : canvas.pixels) {
        bytes[i++] = uint8_t(std::lround(clamp01(p.r) * 255.0f));
        bytes[i++] = uint8_t(std::lround(clamp01(p.g) * 255.0f));
        bytes[i++] = uint8_t(std::lround(clamp01(p.b) * 255.0f));
    }
    return bytes;
}

Coverage makeCoverage(int width, int height) {
    Coverage coverage;
    coverage.width = width;
    coverage.height = height;
    coverage.values.assign(size_t(width) * size_t(height), 0.0f);
    return coverage;
}

namespace {

// One pass of a running-sum box blur along rows (horizontal) or columns.
void boxPass(const Coverage& in, Coverage& out, int radius, bool horizontal) {
    int lines = horizontal ? in.height : in.width;
    int length = horizontal ? in.width : in.height;
    float scale = 1.0f / float(2 * radius + 1);
    auto read = [&](int line, int i) {
        i = std::clamp(i, 0, length - 1);
        return horizontal ? in.at(i, line) : in.at(line, i);
    };
    for (int line = 0; line < lines; ++line) {
        float sum = 0;
        for (int i = -radius; i <= radius; ++i) sum += read(line, i);
        for (int i = 0; i < length; ++i) {
            (horizontal ? out.at(i, line) : out.at(line, i)) = sum * scale;
            sum += read(line, i + radius + 1) - read(line, i - radius);
        }
    }
}

} // namespace

Coverage blurred(const Coverage& source, int radius) {
    if (radius <= 0) return source;
    Coverage a = source, b = source;
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(a, b, radius, true);
        boxPass(b, a, radius, false);
    }
    return a;
}

namespace {

// Visits the canvas pixels under a coverage placed at (left, top), clipped to the canvas.
template <typename Blend>
void blendCoverage(Canvas& canvas, const Coverage& coverage, int left, int top, Blend blend) {
    for (int y = 0; y < coverage.height; ++y) {
        int cy = top + y;
        if (cy < 0 || cy >= canvas.height) continue;
        for (int x = 0; x < coverage.width; ++x) {
            int cx = left + x;
            if (cx < 0 || cx >= canvas.width) continue;
            blend(canvas.at(cx, cy), coverage.at(x, y));
        }
    }
}

} // namespace

void addCoverage(Canvas& canvas, const Coverage& coverage, int left, int top, Rgb color) {
    blendCoverage(canvas, coverage, left, top, [&](Rgb& pixel, float c) { pixel = pixel + color * c; });
}

void coverWith(Canvas& canvas, const Coverage& coverage, int left, int top, Rgb color) {
    blendCoverage(canvas, coverage, left, top,
                  [&](Rgb& pixel, float c) { pixel = mix(pixel, color, clamp01(c)); });
}

namespace {

struct CompressErrors {
    jpeg_error_mgr standard;
    std::jmp_buf recover;
};

void returnToWriter(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    info->err->format_message(info, text);
    std::fprintf(stderr, "pelx-datagen: JPEG compression failed: %s\n", text);
    std::longjmp(reinterpret_cast<CompressErrors*>(info->err)->recover, 1);
}

// State the compressor touches, behind one pointer that stays valid across setjmp.
struct CompressJob {
    jpeg_compress_struct info{};
    CompressErrors errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool created = false;
};

bool compress(CompressJob* job, const std::vector<uint8_t>& rgb, int width, int height, int quality) {
    if (setjmp(job->errors.recover)) {
        if (job->created) jpeg_destroy_compress(&job->info);
        return false;
    }
    job->info.err = jpeg_std_error(&job->errors.standard);
    job->errors.standard.error_exit = returnToWriter;
    jpeg_create_compress(&job->info);
    job->created = true;
    jpeg_mem_dest(&job->info, &job->buffer, &job->size);
    job->info.image_width = JDIMENSION(width);
    job->info.image_height = JDIMENSION(height);
    job->info.input_components = 3;
    job->info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job->info);
    jpeg_set_quality(&job->info, quality, TRUE);
    // The integer DCT gives the same coefficients on every machine; optimised Huffman tables
    // only make the files smaller.
    job->info.dct_method = JDCT_ISLOW;
    job->info.optimize_coding = TRUE;
    jpeg_start_compress(&job->info, TRUE);
    while (job->info.next_scanline < job->info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(rgb.data()) + size_t(job->info.next_scanline) * size_t(width) * 3;
        jpeg_write_scanlines(&job->info, &row, 1);
    }
    jpeg_finish_compress(&job->info);
    jpeg_destroy_compress(&job->info);
    job->created = false;
    return true;
}

} // namespace

namespace {
// Set by the first writeBytes that fails, from whichever thread; read by every writer.
std::atomic<bool> writeFailed{false};
} // namespace

bool dataWriteFailed() {
    return writeFailed;
}

bool writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    if (writeFailed) return false;
    std::error_code ignored; // a folder that cannot be made shows as the file's error
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
    std::string error;
    if (writeFileAtomically(path.string(), bytes.data(), bytes.size(), &error)) return true;
    if (!writeFailed.exchange(true))
        std::fprintf(stderr, "pelx-datagen: %s; stopped there, and no file is left half-written\n",
                     error.c_str());
    return false;
}

bool writeJpeg(const std::filesystem::path& path, const Canvas& canvas, int quality) {
    if (writeFailed) return false;
    std::vector<uint8_t> rgb = toRgbBytes(canvas);
    auto job = std::make_unique<CompressJob>();
    bool ok = compress(job.get(), rgb, canvas.width, canvas.height, quality);
    std::vector<uint8_t> bytes;
    if (ok) bytes.assign(job->buffer, job->buffer + job->size);
    std::free(job->buffer);
    if (!ok) {
        std::fprintf(stderr, "pelx-datagen: cannot encode %s\n", path.string().c_str());
        return false;
    }
    return writeBytes(path, bytes);
}

} // namespace pelx
