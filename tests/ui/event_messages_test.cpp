// The message pump: SDL events to Windows messages, the hook, and headless windows.
#include "platform/ui/event_messages.h"

#include <gtest/gtest.h>

#include "platform/ui/ui.h"

namespace {

SDL_Event Key(Uint32 type, SDL_Keycode sym, int repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.repeat = static_cast<Uint8>(repeat);
    return e;
}

TEST(EventMessages, KeysMapToVirtualKeyCodes) {
    struct Case {
        SDL_Keycode sym;
        uint32_t vk;
    };
    const Case cases[] = {{SDLK_ESCAPE, 0x1B}, {SDLK_RETURN, 0x0D}, {SDLK_KP_ENTER, 0x0D},
                          {SDLK_SPACE, 0x20},  {SDLK_a, 'A'},       {SDLK_z, 'Z'},
                          {SDLK_0, '0'},       {SDLK_9, '9'},       {SDLK_LEFT, 0x25},
                          {SDLK_UP, 0x26},     {SDLK_RIGHT, 0x27},  {SDLK_DOWN, 0x28},
                          {SDLK_F1, 0x70},     {SDLK_F12, 0x7B}};
    for (const Case& c : cases) {
        ui::Msg msg;
        ASSERT_TRUE(ui::MessageFromEvent(Key(SDL_KEYDOWN, c.sym), &msg)) << c.sym;
        EXPECT_EQ(msg.message, ui::WM_KEYDOWN);
        EXPECT_EQ(msg.wParam, c.vk) << c.sym;
    }
}

TEST(EventMessages, KeyFlagsAndQuitFollowWindowsAndOtherEventsAreSkipped) {
    ui::Msg msg;
    ASSERT_TRUE(ui::MessageFromEvent(Key(SDL_KEYDOWN, SDLK_ESCAPE), &msg));
    EXPECT_EQ(msg.lParam & (1 << 30), 0);  // first press: key was up
    ASSERT_TRUE(ui::MessageFromEvent(Key(SDL_KEYDOWN, SDLK_ESCAPE, 1), &msg));
    EXPECT_NE(msg.lParam & (1 << 30), 0);  // auto-repeat: key was down
    ASSERT_TRUE(ui::MessageFromEvent(Key(SDL_KEYUP, SDLK_ESCAPE), &msg));
    EXPECT_EQ(msg.message, ui::WM_KEYUP);
    EXPECT_EQ(msg.wParam, ui::VK_ESCAPE);
    EXPECT_LT(msg.lParam, 0);              // transition bit (31) set
    EXPECT_NE(msg.lParam & (1 << 30), 0);  // and the key was down before
    SDL_Event other{};
    other.type = SDL_QUIT;
    ASSERT_TRUE(ui::MessageFromEvent(other, &msg));
    EXPECT_EQ(msg.message, ui::WM_QUIT);
    other.type = SDL_MOUSEMOTION;
    EXPECT_FALSE(ui::MessageFromEvent(other, &msg));
    EXPECT_FALSE(ui::MessageFromEvent(Key(SDL_KEYDOWN, SDLK_CAPSLOCK), &msg));  // no code of ours
}

TEST(HeadlessUi, HooksReplaceThePumpAndExitAndWindowsAreRecordsOfTheirSize) {
    int calls = 0;
    struct Exited {
        int code;
    };
    ui::Configure({.headless = true,
                   .peekMessage =
                       [&](ui::Msg* m) {
                           m->message = ui::WM_KEYDOWN;
                           m->wParam = ui::VK_ESCAPE;
                           return ++calls == 1;
                       },
                   .exitProcess = [](int code) { throw Exited{code}; }});
    ui::Msg msg;
    ASSERT_TRUE(ui::PeekMessage(&msg));
    EXPECT_EQ(msg.wParam, ui::VK_ESCAPE);
    EXPECT_FALSE(ui::PeekMessage(&msg));
    try {
        ui::ExitProcess(3);
        ADD_FAILURE() << "the exit hook was not called";
    } catch (const Exited& e) {
        EXPECT_EQ(e.code, 3);
    }
    ui::Configure({.headless = true});
    EXPECT_FALSE(ui::PeekMessage(&msg));  // headless without a hook: no messages
    ui::Window* window = ui::CreateWindowEx("BIG", 1024, 768, true);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->sdl, nullptr);
    EXPECT_EQ(window->width, 1024);
    EXPECT_EQ(window->height, 768);
    EXPECT_EQ(ui::CreateWindowEx("BIG", 0, 768, false), nullptr);
    ui::Configure({});
}

}  // namespace
