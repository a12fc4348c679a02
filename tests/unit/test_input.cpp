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

// The keys and the handheld's buttons for up, down, L and R: up and down are pulses of one
// frame (holding does not repeat), L and R levels held across frames; a press and a release
// in one drain are not seen.
TEST_F(InputTest, KeysAndButtonsSetTheFourInputs)
{
    const struct { bool joy; int code; int* input; bool pulse; } rows[] = {
        {false, SDLK_UP, &TUP, true}, {false, SDLK_DOWN, &TDOWN, true}, {false, SDLK_l, &TFL, false},
        {false, SDLK_r, &TFR, false}, {true, 0, &TUP, true}, {true, 4, &TDOWN, true},
        {true, 10, &TFL, false}, {true, 11, &TFR, false},
    };
    for (auto row : rows) {
        SCOPED_TRACE(testing::Message() << (row.joy ? "button " : "key ") << row.code);
        auto push = [&](bool down) {
            if (row.joy) Joy(down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP, (Uint8)row.code);
            else Key(down ? SDL_KEYDOWN : SDL_KEYUP, (SDLKey)row.code);
        };
        // Pressed, held a frame, released, then pressed and released in one drain.
        for (auto [down, up, level] : {std::tuple{true, false, 1}, {false, false, row.pulse ? 0 : 1},
                                       {false, true, 0}, {true, true, 0}}) {
            if (down) push(true);
            if (up) push(false);
            Drain();
            EXPECT_EQ(*row.input, level) << "press " << down << ", release " << up;
        }
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
