// The keyboard: the whole layout as a table, and the shift rule over it. The rest of the
// keyboard objects (fresh state, SetTouche, the origin) is checked by tests/keyboard/.
#include <gtest/gtest.h>

#include "TClavier.h"

namespace {

struct Key {
    unsigned char c;
    int fonction;
    int x, y;
};

// Every laid-out slot as the user sees the two pages.
const Key kLayout[58] = {
    {'q', 0, 0, 0}, {'w', 0, 32, 0}, {'e', 0, 64, 0}, {'r', 0, 92, 0}, {'t', 0, 128, 0},
    {'y', 0, 160, 0}, {'u', 0, 192, 0}, {'i', 0, 224, 0}, {'o', 0, 256, 0}, {'p', 0, 288, 0},
    {'a', 0, 0, 32}, {'s', 0, 32, 32}, {'d', 0, 64, 32}, {'f', 0, 92, 32}, {'g', 0, 128, 32},
    {'h', 0, 160, 32}, {'j', 0, 192, 32}, {'k', 0, 224, 32}, {'l', 0, 256, 32}, {' ', 2, 288, 32},
    {'z', 0, 0, 64}, {'x', 0, 32, 64}, {'c', 0, 64, 64}, {'v', 0, 92, 64}, {'b', 0, 128, 64},
    {'n', 0, 160, 64}, {'m', 0, 192, 64}, {' ', 0, 224, 64}, {'\n', 1, 256, 64},
    {'0', 0, 0, 0}, {'1', 0, 32, 0}, {'2', 0, 64, 0}, {'3', 0, 92, 0}, {'4', 0, 128, 0},
    {'5', 0, 160, 0}, {'6', 0, 192, 0}, {'7', 0, 224, 0}, {'8', 0, 256, 0}, {'9', 0, 288, 0},
    {'.', 0, 0, 32}, {',', 0, 32, 32}, {':', 0, 64, 32}, {';', 0, 92, 32}, {'!', 0, 128, 32},
    {'?', 0, 160, 32}, {'@', 0, 192, 32}, {'&', 0, 224, 32}, {'_', 0, 256, 32}, {'-', 0, 288, 32},
    {'(', 0, 0, 64}, {')', 0, 32, 64}, {'%', 0, 64, 64}, {'$', 0, 92, 64}, {0xE9, 0, 128, 64},
    {0xE8, 0, 160, 64}, {0xE0, 0, 192, 64}, {'\'', 0, 224, 64}, {' ', 3, 256, 64},
};

TEST(Keyboard, LayoutOfAllSixtySlotsWithAndWithoutShift)
{
    TClavier k;
    // Shift turns the letters a to z alone into capitals, and changes no function nor box;
    // off again, the small letters are back.
    for (bool maj : {false, true, false}) {
        k.SetMaj(maj);
        for (int i = 0; i < 58; i++) {
            SCOPED_TRACE(testing::Message() << i << (maj ? " with shift" : ""));
            unsigned char c = kLayout[i].c;
            EXPECT_EQ((unsigned char)k.GetValeur(i), maj && c >= 'a' && c <= 'z' ? c - 32 : c);
            EXPECT_EQ(k.GetFonction(i), kLayout[i].fonction);
            EXPECT_EQ(std::tuple(k.GetCollX1(i), k.GetCollY1(i), k.GetCollX2(i), k.GetCollY2(i)),
                      std::tuple(kLayout[i].x, kLayout[i].y, 32, 32)) << "its box";
            EXPECT_EQ(std::pair(k.GetToucheX(i), k.GetToucheY(i)), std::pair(kLayout[i].x, kLayout[i].y));
        }
    }
    for (int i = 58; i < 60; i++) {
        EXPECT_EQ(k.GetValeur(i), '0');
        EXPECT_EQ(k.GetFonction(i), 0);
        EXPECT_EQ(k.GetCollX1(i) + k.GetCollY1(i) + k.GetCollX2(i) + k.GetCollY2(i), 0);
    }
}

}  // namespace
