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

    static void Key(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE)
    {
        SDL_Event e = {};
        e.type = type;
        e.key.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    static void Mouse(Uint8 type, Uint8 button)
    {
        SDL_Event e = {};
        e.type = type;
        e.button.type = type;
        e.button.button = button;
        e.button.x = 5;  // the event's own position is not the one used
        e.button.y = 5;
        SDL_PushEvent(&e);
    }
    static void Joy(Uint8 type, Uint8 button)
    {
        SDL_Event e = {};
        e.type = type;
        e.jbutton.type = type;
        e.jbutton.button = button;
        SDL_PushEvent(&e);
    }
    static void Active(Uint8 gain, Uint8 state)
    {
        SDL_Event e = {};
        e.type = SDL_ACTIVEEVENT;
        e.active.type = SDL_ACTIVEEVENT;
        e.active.gain = gain;
        e.active.state = state;
        SDL_PushEvent(&e);
    }
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
    EXPECT_EQ(MouseX, 123);
    EXPECT_EQ(MouseY, 77);

    Drain();
    EXPECT_FALSE(Click) << "a click lasts one frame";
}

TEST_F(InputTest, OtherButtonsAndKeysDoNothing)
{
    Mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
    Mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE);
    Key(SDL_KEYDOWN, SDLK_LEFT);
    Key(SDL_KEYDOWN, SDLK_RIGHT);
    Key(SDL_KEYDOWN, SDLK_c);
    Key(SDL_KEYDOWN, SDLK_a);
    Joy(SDL_JOYBUTTONDOWN, 2);
    Joy(SDL_JOYBUTTONDOWN, 6);
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
    Key(SDL_KEYDOWN, SDLK_l);
    Drain();
    Key(SDL_KEYUP, SDLK_l);
    Drain();
    Key(SDL_KEYDOWN, SDLK_r);
    Drain();
    Key(SDL_KEYUP, SDLK_r);
    Drain();
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
    Key(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL);
    Drain();
    EXPECT_EQ(done, 1);
    done = 0;
    Key(SDL_KEYDOWN, SDLK_c, KMOD_RCTRL);
    Drain();
    EXPECT_EQ(done, 1);
    done = 0;
    SDL_Event q = {};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
    Drain();
    EXPECT_EQ(done, 1);
}

}  // namespace
