// SDL events as Windows messages. (The headless hooks are driven by every headless demo run.)
#include "platform/ui/event_messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The message and its words as "message wParam lParam" in hex, or "none".
std::string Message(Uint32 type, SDL_Keycode sym = 0, int repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.repeat = static_cast<Uint8>(repeat);
    ui::Msg msg;
    if (!ui::MessageFromEvent(e, &msg)) return "none";
    char text[64];
    std::snprintf(text, sizeof text, "%x %x %x", msg.message, unsigned(msg.wParam),
                  unsigned(msg.lParam));
    return text;
}

TEST(EventMessages, KeysMapToVirtualKeyCodesWithWindowsFlagsAndOtherEventsAreSkipped) {
    std::string codes;
    for (SDL_Keycode sym :
         {SDLK_ESCAPE, SDLK_RETURN, SDLK_KP_ENTER, SDLK_SPACE, SDLK_a, SDLK_z, SDLK_0, SDLK_9,
          SDLK_LEFT, SDLK_UP, SDLK_RIGHT, SDLK_DOWN, SDLK_F1, SDLK_F12})
        codes += Message(SDL_KEYDOWN, sym) + ", ";
    EXPECT_EQ(codes,
              "100 1b 1, 100 d 1, 100 d 1, 100 20 1, 100 41 1, 100 5a 1, 100 30 1, 100 39 1, "
              "100 25 1, 100 26 1, 100 27 1, 100 28 1, 100 70 1, 100 7b 1, ");
    // One press each (bits 0-15). Auto-repeat: the key was down (bit 30); a release also sets the
    // transition bit (31).
    EXPECT_EQ(Message(SDL_KEYDOWN, SDLK_ESCAPE, 1), "100 1b 40000001");
    EXPECT_EQ(Message(SDL_KEYUP, SDLK_ESCAPE), "101 1b c0000001");
    EXPECT_EQ(Message(SDL_QUIT), "12 0 0");
    EXPECT_EQ(Message(SDL_MOUSEMOTION), "none");
    EXPECT_EQ(Message(SDL_KEYDOWN, SDLK_CAPSLOCK), "none");  // no code of ours
}

}  // namespace
