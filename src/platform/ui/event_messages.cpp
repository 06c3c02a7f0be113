#include "platform/ui/event_messages.h"

#include <SDL.h>

namespace ui {

uint32_t VirtualKeyFromSdl(int32_t key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70u + static_cast<uint32_t>(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61u + static_cast<uint32_t>(key - SDLK_KP_1);
    switch (key) {
        case SDLK_ESCAPE:
            return 0x1B;
        case SDLK_RETURN:
            return 0x0D;
        case SDLK_KP_ENTER:
            return 0x0D;
        case SDLK_SPACE:
            return 0x20;
        case SDLK_BACKSPACE:
            return 0x08;
        case SDLK_TAB:
            return 0x09;
        case SDLK_LEFT:
            return 0x25;
        case SDLK_UP:
            return 0x26;
        case SDLK_RIGHT:
            return 0x27;
        case SDLK_DOWN:
            return 0x28;
        case SDLK_PAGEUP:
            return 0x21;
        case SDLK_PAGEDOWN:
            return 0x22;
        case SDLK_END:
            return 0x23;
        case SDLK_HOME:
            return 0x24;
        case SDLK_INSERT:
            return 0x2D;
        case SDLK_DELETE:
            return 0x2E;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return 0x11;
        case SDLK_LALT:
        case SDLK_RALT:
            return 0x12;
        case SDLK_KP_0:
            return 0x60;
        case SDLK_KP_PLUS:
            return 0x6B;
        case SDLK_KP_MINUS:
            return 0x6D;
        case SDLK_PLUS:
        case SDLK_EQUALS:
            return 0xBB;
        case SDLK_MINUS:
            return 0xBD;
        case SDLK_LEFTBRACKET:
            return 0xDB;
        case SDLK_RIGHTBRACKET:
            return 0xDD;
        default:
            return 0;
    }
}

bool MessageFromEvent(const SDL_Event& event, Msg* msg) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const uint32_t vk = VirtualKeyFromSdl(event.key.keysym.sym);
            if (vk == 0) return false;
            const bool down = event.type == SDL_KEYDOWN;
            // lParam as Windows fills it: repeat count 1; bit 30 previous state; bit 31 transition.
            uint32_t bits = 1u | (event.key.keysym.scancode & 0xFFu) << 16;
            if (!down || event.key.repeat != 0) bits |= 1u << 30;
            if (!down) bits |= 1u << 31;
            msg->message = down ? WM_KEYDOWN : WM_KEYUP;
            msg->wParam = vk;
            msg->lParam = static_cast<intptr_t>(static_cast<int32_t>(bits));
            return true;
        }
        case SDL_QUIT:
            msg->message = WM_QUIT;
            msg->wParam = 0;
            msg->lParam = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace ui
