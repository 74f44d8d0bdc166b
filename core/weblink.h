// The maker's web page link, an owner-drawn push button bound with BTNCTL.
#pragma once

#include "core/win32.h"

// The maker's web page; the button shows its first 24 characters.
extern const char kMakerAddress[];

// Click procedure: opens the page; the dialog stays open.
int WebLinkClick(int id);
// Draw procedure: the address, underlined, on the menu colour.
int WebLinkDraw(UINT message, void* item);
