// Dialog templates read from Windows resource scripts (.rc): the DIALOG / DIALOGEX
// statements with their controls, #include and #define of ids, the usual preprocessor
// conditions. Other resources are skipped. Malformed input gives "FILE:LINE: problem".
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qlhost::rc {

enum class ControlClass { Button, Edit, Static, ListBox, ComboBox, ScrollBar, Custom };

struct Control {
    std::string keyword;    // LTEXT, EDITTEXT, CONTROL, ...
    std::string text;       // caption, or the resource name of an icon
    int id = 0;
    std::string className;  // "Button", "Edit", ... as the window class
    ControlClass cls = ControlClass::Custom;
    uint32_t style = 0;     // with the statement's default bits, NOT applied
    uint32_t exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    int line = 0;
};

struct Dialog {
    std::string name;  // as written
    int number = -1;   // numeric name (a number, or an identifier #defined to one), else -1
    bool extended = false;
    int x = 0, y = 0, width = 0, height = 0;
    uint32_t style = 0, exStyle = 0;
    std::string caption;
    int fontSize = 0;
    std::string fontFace;
    int fontWeight = 0;
    bool fontItalic = false;
    int fontCharset = 0;
    std::vector<Control> controls;
    std::string file;
    int line = 0;

    const Control* Find(int id) const;
};

struct Document {
    std::vector<Dialog> dialogs;
    // The dialog of that name (ignoring case) or number, or null.
    const Dialog* Find(const std::string& name) const;
    const Dialog* Find(int number) const;
};

// #define NAME body, as written.
using Defines = std::map<std::string, std::string>;

// Reads a file named by #include: the name as written and the path of the including file;
// gives the text and the path it was found at. False when there is no such file.
using IncludeReader =
    std::function<bool(const std::string& name, const std::string& from, std::string& text, std::string& path)>;

// Parses one resource script. defines starts with the ids already known (may be null) and
// receives the script's own. Includes that cannot be found are an error, except the
// system headers (windows.h, afxres.h, ...) whose constants are built in.
bool Parse(const std::string& text, const std::string& fileName, Document& doc, std::string& error,
           const IncludeReader& include = {}, Defines* defines = nullptr);

// Reads includes relative to the including file's folder.
IncludeReader FileIncludeReader();

// The keyword a resource script gives a control of that class and style (CONTROL when no
// shorter statement makes it): the statement whose class and type bits (the low four of a
// button's style, the low five of a static's) they are.
std::string KeywordFor(ControlClass cls, uint32_t style);

// The value of a built-in constant (WS_CHILD, BS_AUTOCHECKBOX, IDOK, ...).
bool BuiltinSymbol(const std::string& name, uint32_t& value);

}  // namespace qlhost::rc
