// FreeType rendering of one line of text: glyphs are rendered anti-aliased and placed on the
// pen position in 26.6 fixed point, then the ink's bounds are measured.
#include "text.h"

#include <algorithm>
#include <cstdio>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace pelx {

namespace {

struct FreeTypeSession {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeSession() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

struct PlacedGlyph {
    std::vector<unsigned char> bitmap;
    int width = 0, rows = 0, left = 0, top = 0; // top: rows above the baseline
    long penX = 0;                              // 26.6
};

bool openFace(FreeTypeSession& ft, const char* fontPath) {
    return FT_Init_FreeType(&ft.library) == 0 && FT_New_Face(ft.library, fontPath, 0, &ft.face) == 0;
}

} // namespace

bool fontsLoad() {
    bool ok = true;
    for (const char* path : FONTS) {
        FreeTypeSession ft;
        if (!openFace(ft, path)) {
            std::fprintf(stderr, "pelx-datagen: cannot load the font %s\n", path);
            ok = false;
        }
    }
    if (!ok) std::fputs("pelx-datagen: the packages fonts-dejavu-core and fonts-dejavu-extra hold the fonts\n", stderr);
    return ok;
}

bool renderText(const char* fontPath, int pixelSize, const std::string& text, int padding, int spacing,
                TextImage& out) {
    FreeTypeSession ft;
    if (!openFace(ft, fontPath) || FT_Set_Pixel_Sizes(ft.face, 0, FT_UInt(pixelSize)) != 0) {
        std::fprintf(stderr, "pelx-datagen: cannot load the font %s\n", fontPath);
        return false;
    }
    std::vector<PlacedGlyph> glyphs;
    long pen = 0;
    FT_UInt previous = 0;
    for (char c : text) {
        FT_UInt index = FT_Get_Char_Index(ft.face, FT_ULong(static_cast<unsigned char>(c)));
        if (previous && index && FT_HAS_KERNING(ft.face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(ft.face, previous, index, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x;
        }
        if (FT_Load_Glyph(ft.face, index, FT_LOAD_RENDER) != 0) {
            std::fprintf(stderr, "pelx-datagen: cannot render '%c' with %s\n", c, fontPath);
            return false;
        }
        FT_GlyphSlot slot = ft.face->glyph;
        PlacedGlyph g;
        g.width = int(slot->bitmap.width);
        g.rows = int(slot->bitmap.rows);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.penX = pen;
        g.bitmap.resize(size_t(g.width) * size_t(g.rows));
        for (int y = 0; y < g.rows; ++y)
            for (int x = 0; x < g.width; ++x)
                g.bitmap[size_t(y) * size_t(g.width) + size_t(x)] =
                    slot->bitmap.buffer[y * slot->bitmap.pitch + x];
        glyphs.push_back(std::move(g));
        pen += slot->advance.x + long(spacing) * 64;
        previous = index;
    }

    int ascent = int(ft.face->size->metrics.ascender >> 6);
    int descent = int(-(ft.face->size->metrics.descender >> 6));
    // Glyphs may reach left of the pen (negative bearing) or past the line's metrics.
    int minX = 0, maxX = int(pen >> 6) + 1, minY = -ascent, maxY = descent;
    for (const PlacedGlyph& g : glyphs) {
        int x0 = int(g.penX >> 6) + g.left;
        minX = std::min(minX, x0);
        maxX = std::max(maxX, x0 + g.width);
        minY = std::min(minY, -g.top);
        maxY = std::max(maxY, -g.top + g.rows);
    }
    out.coverage = makeCoverage(maxX - minX + 2 * padding, maxY - minY + 2 * padding);
    out.baseline = padding - minY;
    for (const PlacedGlyph& g : glyphs) {
        int x0 = int(g.penX >> 6) + g.left - minX + padding;
        int y0 = out.baseline - g.top;
        for (int y = 0; y < g.rows; ++y)
            for (int x = 0; x < g.width; ++x) {
                float& c = out.coverage.at(x0 + x, y0 + y);
                c = std::min(1.0f, c + float(g.bitmap[size_t(y) * size_t(g.width) + size_t(x)]) / 255.0f);
            }
    }
    out.inkLeft = out.coverage.width;
    out.inkTop = out.coverage.height;
    out.inkRight = -1;
    out.inkBottom = -1;
    for (int y = 0; y < out.coverage.height; ++y)
        for (int x = 0; x < out.coverage.width; ++x)
            if (out.coverage.at(x, y) > 0.0f) {
                out.inkLeft = std::min(out.inkLeft, x);
                out.inkRight = std::max(out.inkRight, x);
                out.inkTop = std::min(out.inkTop, y);
                out.inkBottom = std::max(out.inkBottom, y);
            }
    return true;
}

} // namespace pelx
