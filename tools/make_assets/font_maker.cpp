// Renders printable ASCII from a TrueType face into a 16x16 grid of coverage cells with advance widths.
#include "font_maker.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr int firstPrintable = 32;
constexpr int lastPrintable = 126;

bool writeBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

// The game draws a glyph of advance w from the strip that starts at column s/2 - w/2 of its cell
// and is w + 2 wide, with the pen at the strip's left edge. So each glyph is rendered with its pen
// origin on that column; ink left of the origin is moved right onto it, and ink that would leave the
// strip or the cell is an error, since the game would cut it off.
bool makeFont(const FontRecipe &recipe, const std::string &typefaceDir, const std::string &root) {
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        std::printf("FreeType does not start\n");
        return false;
    }
    FT_Face face;
    std::string facePath = typefaceDir + "/" + recipe.typeface;
    if (FT_New_Face(library, facePath.c_str(), 0, &face) != 0) {
        std::printf("cannot read typeface %s\n", facePath.c_str());
        FT_Done_FreeType(library);
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(recipe.pixelSize));

    // The baseline sits so that the tallest and deepest printable glyphs fit the cell, centred.
    int above = 0, below = 0;
    for (int code = firstPrintable; code <= lastPrintable; code++) {
        FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER);
        above = std::max(above, face->glyph->bitmap_top);
        below = std::max(below, static_cast<int>(face->glyph->bitmap.rows) - face->glyph->bitmap_top);
    }
    int s = recipe.cellSize;
    int baseline = (s - (above + below)) / 2 + above;

    int side = 16 * s;
    std::vector<uint8_t> raw(static_cast<size_t>(side) * side, 0);
    std::vector<uint8_t> widths(256, 0);
    bool ok = above + below <= s;
    for (int code = firstPrintable; code <= lastPrintable; code++) {
        FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER);
        FT_GlyphSlot glyph = face->glyph;
        int w = static_cast<int>(glyph->advance.x >> 6);
        widths[code] = static_cast<uint8_t>(w);
        int stripLeft = s / 2 - w / 2;
        int inkLeft = std::max(glyph->bitmap_left, 0);
        int inkWidth = static_cast<int>(glyph->bitmap.width);
        if (inkLeft + inkWidth > w + 2 || stripLeft < 0 || stripLeft + inkLeft + inkWidth > s) {
            std::printf("%s: glyph '%c' (advance %d, ink %d..%d) does not fit its cell of %d\n", recipe.directory,
                        code, w, inkLeft, inkLeft + inkWidth, s);
            ok = false;
        }
        int cellX = (code % 16) * s, cellY = (code / 16) * s;
        for (int row = 0; row < static_cast<int>(glyph->bitmap.rows); row++)
            for (int col = 0; col < inkWidth; col++) {
                int x = stripLeft + inkLeft + col;
                int y = baseline - glyph->bitmap_top + row;
                if (x < 0 || x >= s || y < 0 || y >= s) continue;
                raw[static_cast<size_t>(cellY + y) * side + cellX + x] =
                    glyph->bitmap.buffer[row * glyph->bitmap.pitch + col];
            }
    }
    // A strip wider than its cell reads the first columns of the next cell: those must be blank.
    for (int code = firstPrintable; code <= lastPrintable; code++) {
        int over = s / 2 - widths[code] / 2 + widths[code] + 2 - s;
        int nextCellX = (code % 16 + 1) * s;
        for (int y = (code / 16) * s; y < (code / 16 + 1) * s && nextCellX < side; y++)
            for (int x = nextCellX; x < nextCellX + over; x++)
                if (raw[static_cast<size_t>(y) * side + x] != 0) {
                    std::printf("%s: glyph '%c' reaches into the ink of the next cell\n", recipe.directory, code);
                    ok = false;
                }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    std::string dir = root + "/" + recipe.directory;
    std::filesystem::create_directories(dir);
    std::ofstream ini(dir + "/font.ini", std::ios::binary);
    ini << side << "\n";
    ok = static_cast<bool>(ini) && ok;
    ok = writeBytes(dir + "/font.raw", raw) && ok;
    ok = writeBytes(dir + "/font.dat", widths) && ok;
    return ok;
}
