// JPEG decoding with libjpeg (6b interface). A file libjpeg cannot decode is refused like a
// missing one instead of ending the process: the error manager jumps back here.
#include "image/texture.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace pelx {

namespace {

struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf recover;
};

constexpr JDIMENSION MAX_JPEG_EDGE = 8192;

void returnToDecoder(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->recover, 1);
}

// Warnings of damaged but readable files are not worth a line on the terminal.
void dropMessage(j_common_ptr) {}

// Everything the decoder touches lives here, behind one pointer that does not change after
// setjmp, so the recovery path may use and free all of it.
struct JpegJob {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    std::unique_ptr<RgbImage> image = std::make_unique<RgbImage>();
    std::vector<JSAMPROW> rows;
    bool created = false;
};

bool decode(JpegJob* job, std::FILE* file) {
    if (setjmp(job->errors.recover)) {
        if (job->created) jpeg_destroy_decompress(&job->info);
        return false;
    }
    job->info.err = jpeg_std_error(&job->errors.standard);
    job->errors.standard.error_exit = returnToDecoder;
    job->errors.standard.output_message = dropMessage;
    jpeg_create_decompress(&job->info);
    job->created = true;
    jpeg_stdio_src(&job->info, file);
    jpeg_read_header(&job->info, TRUE);
    // A few header bytes can claim a picture of gigabytes. Nothing larger than this on a side
    // fits in a texture on the drivers we run on, so such files are refused before decoding.
    if (job->info.image_width > MAX_JPEG_EDGE || job->info.image_height > MAX_JPEG_EDGE) {
        jpeg_destroy_decompress(&job->info);
        return false;
    }
    // Grayscale pictures are asked for RGB so that every upload reads three bytes a pixel;
    // files that cannot become RGB (CMYK) make libjpeg fail here and are refused.
    job->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&job->info);

    RgbImage& image = *job->image;
    image.width = static_cast<int32_t>(job->info.output_width);
    image.height = static_cast<int32_t>(job->info.output_height);
    image.stride = image.width * job->info.output_components;
    image.pixels.assign(static_cast<size_t>(image.stride) * image.height, 0);
    job->rows.resize(image.height);
    for (int32_t i = 0; i < image.height; ++i) job->rows[i] = image.pixels.data() + size_t(i) * image.stride;

    while (job->info.output_scanline < job->info.output_height) {
        JDIMENSION done = job->info.output_scanline;
        jpeg_read_scanlines(&job->info, job->rows.data() + done, job->info.output_height - done);
    }
    job->rows.clear();
    jpeg_finish_decompress(&job->info);
    jpeg_destroy_decompress(&job->info);
    return true;
}

} // namespace

std::unique_ptr<RgbImage> loadJpeg(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    auto job = std::make_unique<JpegJob>();
    bool decoded = decode(job.get(), file);
    std::fclose(file);
    if (!decoded) return nullptr;
    return std::move(job->image);
}

} // namespace pelx
