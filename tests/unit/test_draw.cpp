// Hit tests, number formatting and the drawing primitives' clipping.
#include <cstring>

#include "draw.h"
#include "support.h"

TEST(HitTest, RectangleAndBandEdgesAreOutside)
{
    // The switch's own edges are FrameTest.StartsOnTheLettersPageThatTheSwitchChangesInsideItsStrictEdges'.
    EXPECT_FALSE(FnMouseCollision(320, 220, 288, 208, 32, 32));
    EXPECT_FALSE(FnMouseCollision(300, 240, 288, 208, 32, 32));
    EXPECT_TRUE(FnMouseCollision(319, 239, 288, 208, 32, 32));
    for (int w = 0; w <= 1; w++)
        for (int px = -2; px < 4; px++)
            for (int py = -2; py < 4; py++) {
                EXPECT_FALSE(FnMouseCollision(px, py, 0, 0, w, 10));
                EXPECT_FALSE(FnMouseCollision(px, py, 0, 0, 10, w));
            }
    for (int p = 18; p <= 47; p++) EXPECT_EQ(FnMouseLigne(p, 20, 25), p > 20 && p < 45) << p;
}

TEST(Itoa2, DecimalHexAndOtherBases)
{
    char buf[12];
    EXPECT_STREQ(itoa2(12, buf, 10), "12");
    EXPECT_STREQ(itoa2(-7, buf, 10), "-7");
    EXPECT_STREQ(itoa2(255, buf, 16), "ff");
    EXPECT_STREQ(itoa2(-1, buf, 16), "ffffffff");
    std::strcpy(buf, "keep");
    EXPECT_EQ(itoa2(5, buf, 8), buf);
    EXPECT_STREQ(buf, "keep");
}

TEST(Drawing, ClipsToThePictureAndDrawsNothingForEmptyText)
{
    test::EnsureScreen();
    SDL_FillRect(ecran, nullptr, SDL_MapRGB(ecran->format, 255, 255, 255));
    // The title strip is 320 by 20: asking for 40 rows draws only 20.
    DrawImage(ImgTitre, 0, 100, 0, 0, 320, 40);
    EXPECT_NE(test::Pixel(160, 110), 0xFFFFFFu);
    EXPECT_EQ(test::Pixel(160, 125), 0xFFFFFFu);
    // Past the right edge of the screen nothing is written and nothing crashes.
    DrawImage(ImgTitre, 300, 0, 0, 0, 320, 20);

    SDL_FillRect(ecran, nullptr, SDL_MapRGB(ecran->format, 255, 255, 255));
    drawText(ecran, "", 10, 10, 0, 0, 0);
    drawMessage(ecran, "", 10, 10, 0, 0, 0);
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 60; x++) ASSERT_EQ(test::Pixel(x, y), 0xFFFFFFu);
    drawText(ecran, "W", 10, 10, 0, 0, 0);
    bool dark = false;
    for (int y = 10; y < 26; y++)
        for (int x = 10; x < 24; x++) dark = dark || test::Pixel(x, y) < 0x808080;
    EXPECT_TRUE(dark);
}

// A text shows from its start exactly while it fits: one pixel less room shows it by its
// end, whatever glyph ends it.
TEST(Drawing, ATextOnePixelTooWideIsShownByItsEnd)
{
    test::EnsureScreen();
    for (int n = 60; n < 70; n++) {
        std::string s(n, 'i');
        s += "xW.|"[n % 4];
        EXPECT_EQ(FnDebutVisible(&s[0], (int)s.size(), test::Width(s)), 0) << s;
        EXPECT_GT(FnDebutVisible(&s[0], (int)s.size(), test::Width(s) - 1), 0) << s;
    }
}
