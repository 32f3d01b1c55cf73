// Rasterises a TrueType face into the game's three-file bitmap font (font.ini, font.raw, font.dat).
#pragma once

#include <string>

// What one font directory is made from.
struct FontRecipe {
    const char *directory;  // under the output root, e.g. "data/font1"
    const char *typeface;   // file name inside the typeface directory
    int pixelSize;          // FreeType pixel size (em height)
    int cellSize;           // side of one glyph cell; the texture side is 16 times this
};

// Writes the font; prints a line and returns false when the face cannot be read or a glyph does
// not fit its cell.
bool makeFont(const FontRecipe &recipe, const std::string &typefaceDir, const std::string &root);
