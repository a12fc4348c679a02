// The event drain: events pushed into SDL's queue, then one drain per frame.
#include "input.h"
#include "support.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureScreen();
        SDL_Event e;
        while (SDL_PollEvent(&e)) {}
        done = 0;
        TUP = TDOWN = TFL = TFR = 0;
        Click = false;
    }
    void TearDown() override { done = 0; TFL = TFR = 0; }

    // Pushes an event made of this one member of the union, the rest zero.
    template <class E> static void Push(E SDL_Event::*member, E event)
    {
        SDL_Event e = {};
        e.*member = event;
        SDL_PushEvent(&e);
    }
    static void Key(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE)
    {
        Push(&SDL_Event::key, {type, 0, Uint8(type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED), {0, sym, mod, 0}});
    }
    // The event's own position, 5, 5, is not the one used.
    static void Mouse(Uint8 type, Uint8 button) { Push(&SDL_Event::button, {type, 0, button, 0, 5, 5}); }
    static void Joy(Uint8 type, Uint8 button) { Push(&SDL_Event::jbutton, {type, 0, button, 0}); }
    static void Active(Uint8 gain, Uint8 state) { Push(&SDL_Event::active, {SDL_ACTIVEEVENT, gain, state}); }
    // One frame's drain followed by the shoulder-button test of the frame loop.
    static void Drain()
    {
        FnLireEntrees();
        if (TFL == 1 && TFR == 1) done = 1;
    }
};

TEST_F(InputTest, ReleaseClicksAndRereadsThePointer)
{
    SDL_WarpMouse(40, 50);
    Mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    Drain();
    EXPECT_FALSE(Click) << "pressing alone does nothing";
    EXPECT_EQ(MouseX, 40);

    Mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    SDL_WarpMouse(123, 77);  // where the pointer is when the release is handled
    Drain();
    EXPECT_TRUE(Click);
    EXPECT_EQ(std::pair(MouseX, MouseY), std::pair(123, 77));

    Drain();
    EXPECT_FALSE(Click) << "a click lasts one frame";
}

TEST_F(InputTest, OtherButtonsAndKeysDoNothing)
{
    for (Uint8 button : {SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE}) Mouse(SDL_MOUSEBUTTONUP, button);
    for (SDLKey key : {SDLK_LEFT, SDLK_RIGHT, SDLK_c, SDLK_a}) Key(SDL_KEYDOWN, key);
    for (Uint8 button : {2, 6}) Joy(SDL_JOYBUTTONDOWN, button);
    Drain();
    EXPECT_FALSE(Click);
    EXPECT_EQ(TUP + TDOWN + TFL + TFR + done, 0);
}

TEST_F(InputTest, UpAndDownArePulsesOfOneFrame)
{
    Key(SDL_KEYDOWN, SDLK_UP);
    Drain();
    EXPECT_EQ(TUP, 1);
    Drain();
    EXPECT_EQ(TUP, 0) << "holding the key does not repeat";

    Key(SDL_KEYDOWN, SDLK_DOWN);
    Key(SDL_KEYUP, SDLK_DOWN);
    Drain();
    EXPECT_EQ(TDOWN, 0) << "a press and release in one drain is not seen";
}

TEST_F(InputTest, JoystickButtonsMapToTheFourInputs)
{
    const struct { Uint8 button; int* level; } map[] = {
        {0, &TUP}, {4, &TDOWN}, {10, &TFL}, {11, &TFR}};
    for (auto m : map) {
        Joy(SDL_JOYBUTTONDOWN, m.button);
        Drain();
        EXPECT_EQ(*m.level, 1) << (int)m.button;
        Joy(SDL_JOYBUTTONUP, m.button);
        Drain();
        EXPECT_EQ(*m.level, 0) << (int)m.button;
    }
    EXPECT_EQ(done, 0);
}

TEST_F(InputTest, BothShouldersHeldQuitOneAfterTheOtherDoesNot)
{
    for (SDLKey key : {SDLK_l, SDLK_r})
        for (Uint8 type : {SDL_KEYDOWN, SDL_KEYUP}) Key(type, key), Drain();
    EXPECT_EQ(done, 0);

    Key(SDL_KEYDOWN, SDLK_l);
    Drain();
    EXPECT_EQ(TFL, 1) << "a shoulder button is a level, held across frames";
    Drain();
    EXPECT_EQ(done, 0);
    Key(SDL_KEYDOWN, SDLK_r);
    Drain();
    EXPECT_EQ(done, 1);

    done = 0;
    Key(SDL_KEYUP, SDLK_l);
    Key(SDL_KEYUP, SDLK_r);
    Joy(SDL_JOYBUTTONDOWN, 10);
    Joy(SDL_JOYBUTTONDOWN, 11);
    Drain();
    EXPECT_EQ(done, 1) << "the handheld's L and R quit like l and r";
}

// l pressed, the pointer or the keyboard goes to another window where l is released:
// the window never hears of the release, so r alone must not quit on its return.
TEST_F(InputTest, LosingTheKeyboardOrThePointerReleasesEveryHeldButton)
{
    const struct { Uint8 gain, state; bool released; } rows[] = {
        {0, SDL_APPMOUSEFOCUS, true},
        {0, SDL_APPINPUTFOCUS, true},
        {0, SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS | SDL_APPACTIVE, true},
        {1, SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS, false},  // coming back changes nothing
    };
    for (auto row : rows) {
        SCOPED_TRACE(testing::Message() << "gain " << (int)row.gain << " state " << (int)row.state);
        TFL = TFR = 0;
        Key(SDL_KEYDOWN, SDLK_l);
        Joy(SDL_JOYBUTTONDOWN, JOY_R);
        Key(SDL_KEYDOWN, SDLK_UP);
        Joy(SDL_JOYBUTTONDOWN, JOY_BAS);
        Active(row.gain, row.state);
        Drain();
        EXPECT_EQ(TFL + TFR + TUP + TDOWN, row.released ? 0 : 4);
        Key(SDL_KEYDOWN, SDLK_r);
        Drain();
        EXPECT_EQ(done, row.released ? 0 : 1);
        done = 0;
    }
}

TEST_F(InputTest, CtrlCAndTheWindowCloseQuit)
{
    for (SDLMod ctrl : {KMOD_LCTRL, KMOD_RCTRL}) {
        Key(SDL_KEYDOWN, SDLK_c, ctrl);
        Drain();
        EXPECT_EQ(done, 1) << ctrl;
        done = 0;
    }
    Push(&SDL_Event::quit, {SDL_QUIT});
    Drain();
    EXPECT_EQ(done, 1);
}

}  // namespace
