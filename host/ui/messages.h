// Message boxes and the FormSt forms.
#pragma once

#include <cstdint>
#include <string>

namespace qlhost {

// Message box styles: a low nibble of 5 asks Yes/No (IDYES or IDNO), any other shows OK.
constexpr uint32_t kStyleQuestion = 0x05;
constexpr uint32_t kStyleMessage = 0x21;

// Shows a message box: the caption line, the text lines and the answer go to the
// transcript; the answer is the script's `answer` when that is the next action, else the
// default button (OK, or Yes for a question).
int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t style);

// FormSt: message box (mode -1), or a prompt record written into a buffer of mode bytes
// (0: 256) or shown as a message (destination 2).
int FormStText(const void* source, int mode, const char* caption, uintptr_t destination);

}  // namespace qlhost
