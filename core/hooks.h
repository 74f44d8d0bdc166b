// Thread keyboard hook (special keys end a host prompt) and right-button mouse hook (the
// right button closes a dialog or message box). Both talk to commands through the state
// below.
#pragma once

#include <cstdint>

#include "core/win32.h"

// Code of the key that ended the last prompt through the keyboard hook; 0 = none.
extern unsigned char PromptKey;
// Set while the keyboard hook runs in text mode (letters reach the prompt as typed).
extern unsigned char LettersAreText;
// Set by the mouse hook when the right button closed the focus window's parent.
extern uint32_t ClosedByRightButton;

// Hot-key mode: TAB, arrows, DELETE, numeric + and -, and the letters
// B C D F H I K L M N O R S T U end the prompt with ESCAPE; "!" ends it with ENTER.
void InstallKeyHook();
// Text mode: as hot-key mode, but letters pass as typed.
void InstallTextKeyHook();
void RemoveKeyHook();

void InstallRightCloseHook();
void RemoveRightCloseHook();

// True when GetAsyncKeyState reports the key held (2 or more as an unsigned 16-bit value).
bool KeyDown(int vk);

// The hook procedures (also reachable for tests).
LRESULT CALLBACK KeyHookProc(int code, WPARAM key, LPARAM info);
LRESULT CALLBACK RightCloseHookProc(int code, WPARAM message, LPARAM info);
