// The font reader, the tint, the glyph strips drawText blits, textWidth, and unsafe input kept safe.
#include "draw/font.h"
#include "support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<uint8_t> ramp(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; i++) bytes[i] = static_cast<uint8_t>(i * 7);
    return bytes;
}

}  // namespace

TEST(FontReader, SideGivesCellsAndShortFilesReadAs255) {
    openDummyScreen();
    std::vector<uint8_t> widths(100, 9);  // only codes 0..99 given
    BitmapFont *font = loadFont(makeFontDir("short", 256, ramp(1000), widths).c_str(), 1, 1, 1, 1);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->textureSize, 256);
    EXPECT_EQ(font->cellSize, 16);
    EXPECT_EQ(font->pixels[4 * 999 + 3], static_cast<uint8_t>(999 * 7));
    EXPECT_EQ(font->pixels[4 * 1000 + 3], 255) << "coverage past the end of font.raw is full";
    EXPECT_EQ(font->pixels[4 * (256 * 256 - 1) + 3], 255);
    EXPECT_EQ(font->widths[99], 9);
    EXPECT_EQ(font->widths[100], 255) << "width past the end of font.dat is 255";
    EXPECT_EQ(font->widths[255], 255);
    freeFont(font);

    font = loadFont(makeFontDir("odd", 100, ramp(100 * 100), widths).c_str(), 1, 1, 1, 1);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->cellSize, 6) << "100 / 16 truncates";
    freeFont(font);
}

TEST(FontReader, TintBytesAreExact) {
    openDummyScreen();
    std::string dir = makeFontDir("tint", 16, ramp(256), std::vector<uint8_t>(256, 1));
    BitmapFont *white = loadWhiteFont(dir.c_str());
    BitmapFont *yellow = loadTintedFont(dir.c_str(), 1.0f, 1.0f, 0.0f);
    BitmapFont *halfAlpha = loadFont(dir.c_str(), 0.5f, 0.0f, 1.0f, 0.5f);
    ASSERT_TRUE(white && yellow && halfAlpha);
    for (int i = 0; i < 256; i++) {
        const uint8_t *w = white->pixels + 4 * i, *y = yellow->pixels + 4 * i, *h = halfAlpha->pixels + 4 * i;
        uint8_t coverage = static_cast<uint8_t>(i * 7);
        ASSERT_EQ(std::vector<int>({w[0], w[1], w[2], w[3]}), std::vector<int>({255, 255, 255, coverage})) << i;
        ASSERT_EQ(std::vector<int>({y[0], y[1], y[2], y[3]}), std::vector<int>({255, 255, 0, coverage})) << i;
        ASSERT_EQ(std::vector<int>({h[0], h[1], h[2], h[3]}), std::vector<int>({127, 0, 255, int(coverage * 0.5f)})) << i;
    }
    ASSERT_NE(white->surface, nullptr);
    EXPECT_EQ(white->surface->w, 16);
    freeFont(white);
    freeFont(yellow);
    freeFont(halfAlpha);
}

TEST(FontReader, MissingOrUnusableFilesGiveNullOrDefaults) {
    openDummyScreen();
    EXPECT_EQ(loadWhiteFont(freshDir("empty-font").c_str()), nullptr) << "no font.ini";
    EXPECT_EQ(loadWhiteFont(makeFontDir("no-raw", 256, {}, std::vector<uint8_t>(256, 3)).c_str()), nullptr);

    BitmapFont *font = loadWhiteFont(makeFontDir("no-dat", 64, ramp(64 * 64), {}).c_str());
    ASSERT_NE(font, nullptr) << "font.dat missing still gives a font";
    for (int code = 0; code < 256; code++) ASSERT_EQ(font->widths[code], 4) << "default width is one cell";
    freeFont(font);

    for (const char *ini : {"", "abc", "0", "-16", "4097", "99999999999999999999", " \n"}) {
        std::string dir = makeFontDir("bad-ini", 16, ramp(256), std::vector<uint8_t>(256, 1));
        writeFile(dir + "/font.ini", ini);
        EXPECT_EQ(loadWhiteFont(dir.c_str()), nullptr) << "font.ini \"" << ini << "\"";
    }
    std::string dir = makeFontDir("ini-spacing", 16, ramp(256), std::vector<uint8_t>(256, 1));
    writeFile(dir + "/font.ini", "  +32 pixels\n");
    font = loadWhiteFont(dir.c_str());
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->textureSize, 32) << "white space, sign, then digits; the rest ignored";
    freeFont(font);
}

TEST(FontReader, SideAfterLongWhiteSpaceIsRead) {
    openDummyScreen();
    std::string dir = makeFontDir("ini-long-space", 16, ramp(256), std::vector<uint8_t>(256, 1));
    writeFile(dir + "/font.ini", std::string(300, ' ') + "\n\t\r\n" + std::string(700, '\n') + "+0032\n");
    BitmapFont *font = loadWhiteFont(dir.c_str());
    ASSERT_NE(font, nullptr) << "a thousand white-space bytes before the number";
    EXPECT_EQ(font->textureSize, 32);
    freeFont(font);
}

TEST(FontReader, PathTooLongIsRefusedNotCut) {
    openDummyScreen();
    std::string dir = makeBlockFontDir("long-path", 5);
    // A directory path of 91+ characters would be cut to 99 with its file name; it must not be opened.
    std::string longPath = dir;
    while (longPath.size() < 91) longPath = "/" + longPath;  // extra slashes name the same directory
    EXPECT_EQ(loadWhiteFont(longPath.c_str()), nullptr);
    std::string fits = dir;
    while (fits.size() < 90) fits = "/" + fits;
    BitmapFont *font = loadWhiteFont(fits.c_str());
    EXPECT_NE(font, nullptr) << "90 characters still fit";
    freeFont(font);
}

TEST(DrawText, BlitsOneStripPerCharacterAtThePen) {
    resetMatch();
    BitmapFont *font = loadTintedFont(makeBlockFontDir("block7", 7).c_str(), 1.0f, 1.0f, 0.0f);
    ASSERT_NE(font, nullptr);
    fillScreen(0x000000);
    drawText(match.screen, font, 100, 200, "A");
    // Width 7 gives a 9-pixel strip, 16 high, starting at x.
    EXPECT_EQ(rgbAt(match.screen, 99, 200), 0x000000u);
    EXPECT_EQ(rgbAt(match.screen, 100, 200), 0xFFFF00u);
    EXPECT_EQ(rgbAt(match.screen, 108, 215), 0xFFFF00u);
    EXPECT_EQ(rgbAt(match.screen, 109, 200), 0x000000u);
    EXPECT_EQ(rgbAt(match.screen, 100, 216), 0x000000u);

    fillScreen(0x000000);
    drawText(match.screen, font, 10, 10, "%s%d", "AB", 7);  // three glyphs, pen 0, 7, 14: strips end at 14+8
    EXPECT_EQ(rgbAt(match.screen, 10 + 22, 10), 0xFFFF00u);
    EXPECT_EQ(rgbAt(match.screen, 10 + 23, 10), 0x000000u);
    EXPECT_EQ(textWidth(font, "%s%d", "AB", 7), 21);
    EXPECT_EQ(textWidth(font, ""), 0);
    freeFont(font);
}

TEST(DrawText, StripComesFromTheCentredColumnsOfTheCell) {
    resetMatch();
    // Cell of 'A' (code 65: column 1, row 4 of 16-pixel cells) covered only in texture columns 21..29,
    // which is exactly the strip for width 7: (16 + 8 - 3) to 21 + 9 - 1.
    std::vector<uint8_t> raw(256 * 256, 0);
    for (int y = 64; y < 80; y++)
        for (int x = 21; x <= 29; x++) raw[y * 256 + x] = 255;
    std::vector<uint8_t> widths(256, 7);
    widths[0] = 0;
    BitmapFont *font = loadWhiteFont(makeFontDir("centred", 256, raw, widths).c_str());
    ASSERT_NE(font, nullptr);
    fillScreen(0x000000);
    drawText(match.screen, font, 0, 0, "A");
    for (int x = 0; x < 9; x++) ASSERT_EQ(rgbAt(match.screen, x, 0), 0xFFFFFFu) << x;
    EXPECT_EQ(textWidth(font, "A\n"), 14) << "control characters advance by their own width";
    freeFont(font);
}

TEST(DrawText, UnsafeInputStaysSafe) {
    resetMatch();
    BitmapFont *font = loadWhiteFont(makeBlockFontDir("block1", 1).c_str());
    ASSERT_NE(font, nullptr);
    std::string huge(5000, 'x');
    EXPECT_EQ(textWidth(font, "%s", huge.c_str()), 1023) << "text is cut to the 1023 characters the buffer holds";
    drawText(match.screen, font, 0, 0, "%s", huge.c_str());
    font->widths[200] = 3;
    EXPECT_EQ(textWidth(font, "\xC8"), 3) << "codes above 127 index the table as unsigned bytes";
    freeFont(font);

    drawText(match.screen, nullptr, 0, 0, "nothing");
    EXPECT_EQ(textWidth(nullptr, "nothing"), 0);
    freeFont(nullptr);
}

TEST(DrawText, ZeroByteEndsTheText) {
    resetMatch();
    BitmapFont *font = loadTintedFont(makeBlockFontDir("block7-zero", 7).c_str(), 1.0f, 1.0f, 0.0f);
    ASSERT_NE(font, nullptr);
    font->widths['b'] = 50;
    EXPECT_EQ(textWidth(font, "a%cb", 0), 7) << "only the 'a' before the zero is measured";
    fillScreen(0x000000);
    drawText(match.screen, font, 0, 0, "a%cb", 0);
    EXPECT_EQ(rgbAt(match.screen, 8, 0), 0xFFFF00u) << "'a' is drawn";
    EXPECT_EQ(rgbAt(match.screen, 9, 0), 0x000000u) << "nothing is drawn past the zero";
    freeFont(font);
}
