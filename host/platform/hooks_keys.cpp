// The US keyboard layout of the reference host (ToAscii and the `key "!"` shorthand).
#include <cstring>

#include "host/platform/hooks.h"

namespace qlhost {
namespace {

constexpr char kShiftedDigits[] = ")!@#$%^&*(";

struct OemKey {
    int vk;
    char plain;
    char shifted;
};

const OemKey kOemKeys[] = {
    {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'}, {0xBE, '.', '>'},
    {0xBF, '/', '?'}, {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'},
    {0xDE, '\'', '"'},
};

bool Down(const BYTE* state, int vk) { return (state[vk] & 0x80) != 0; }

}  // namespace

int CharOfKey(int vk, const BYTE* state) {
    if (vk <= 0 || vk > 255 || !state) return 0;
    const bool shift = Down(state, VK_SHIFT) || Down(state, 0xA0) || Down(state, 0xA1);
    const bool control = Down(state, VK_CONTROL) || Down(state, 0xA2) || Down(state, 0xA3);
    const bool caps = (state[0x14] & 0x01) != 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (control) return vk - 'A' + 1;
        return (shift != caps) ? vk : vk - 'A' + 'a';
    }
    if (control) return 0;
    if (vk >= '0' && vk <= '9') return shift ? kShiftedDigits[vk - '0'] : vk;
    if (vk >= 0x60 && vk <= 0x69) return '0' + (vk - 0x60);
    switch (vk) {
        case 0x08: return '\b';
        case VK_TAB: return '\t';
        case VK_RETURN: return '\r';
        case VK_ESCAPE: return 0x1B;
        case 0x20: return ' ';
        case 0x6A: return '*';
        case VK_ADD: return '+';
        case VK_SUBTRACT: return '-';
        case 0x6E: return '.';
        case 0x6F: return '/';
        default: break;
    }
    for (const OemKey& key : kOemKeys)
        if (key.vk == vk) return shift ? key.shifted : key.plain;
    return 0;
}

bool KeyOfChar(char c, int& vk, bool& shift) {
    shift = false;
    if (c >= 'a' && c <= 'z') {
        vk = c - 'a' + 'A';
        return true;
    }
    if (c >= 'A' && c <= 'Z') {
        vk = c;
        shift = true;
        return true;
    }
    if (c >= '0' && c <= '9') {
        vk = c;
        return true;
    }
    if (c == ' ') {
        vk = 0x20;
        return true;
    }
    if (const char* at = std::strchr(kShiftedDigits, c); at && c) {
        vk = '0' + static_cast<int>(at - kShiftedDigits);
        shift = true;
        return true;
    }
    for (const OemKey& key : kOemKeys) {
        if (c == key.plain || c == key.shifted) {
            vk = key.vk;
            shift = c == key.shifted;
            return true;
        }
    }
    return false;
}

}  // namespace qlhost
