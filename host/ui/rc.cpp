// Parser of the dialog templates in resource scripts.
#include "host/ui/rc.h"

#include <algorithm>
#include <cctype>

#include "host/ui/rc_lexer.h"

namespace qlhost::rc {
namespace {

constexpr uint32_t kChildVisible = 0x40000000 | 0x10000000;  // WS_CHILD | WS_VISIBLE
constexpr uint32_t kDialogDefaultStyle = 0x80000000 | 0x00800000 | 0x00080000;  // popup, border, system menu
constexpr uint32_t kCaptionStyle = 0x00C00000;

struct ControlKind {
    const char* keyword;
    ControlClass cls;
    const char* className;
    uint32_t style;  // default style besides WS_CHILD | WS_VISIBLE
    bool hasText;
};

constexpr ControlKind kControls[] = {
    {"LTEXT", ControlClass::Static, "Static", 0x00000 | 0x20000, true},
    {"RTEXT", ControlClass::Static, "Static", 0x00002 | 0x20000, true},
    {"CTEXT", ControlClass::Static, "Static", 0x00001 | 0x20000, true},
    {"PUSHBUTTON", ControlClass::Button, "Button", 0x0 | 0x10000, true},
    {"DEFPUSHBUTTON", ControlClass::Button, "Button", 0x1 | 0x10000, true},
    {"PUSHBOX", ControlClass::Button, "Button", 0xA | 0x10000, true},
    {"CHECKBOX", ControlClass::Button, "Button", 0x2 | 0x10000, true},
    {"AUTOCHECKBOX", ControlClass::Button, "Button", 0x3 | 0x10000, true},
    {"STATE3", ControlClass::Button, "Button", 0x5 | 0x10000, true},
    {"AUTO3STATE", ControlClass::Button, "Button", 0x6 | 0x10000, true},
    {"RADIOBUTTON", ControlClass::Button, "Button", 0x4, true},
    {"AUTORADIOBUTTON", ControlClass::Button, "Button", 0x9, true},
    {"GROUPBOX", ControlClass::Button, "Button", 0x7, true},
    {"EDITTEXT", ControlClass::Edit, "Edit", 0x0 | 0x00800000 | 0x10000, false},
    {"COMBOBOX", ControlClass::ComboBox, "ComboBox", 0x1 | 0x10000, false},
    {"LISTBOX", ControlClass::ListBox, "ListBox", 0x1 | 0x00800000, false},
    {"SCROLLBAR", ControlClass::ScrollBar, "ScrollBar", 0x0, false},
    {"ICON", ControlClass::Static, "Static", 0x3, true},
    {"CONTROL", ControlClass::Custom, "", 0x0, true},
};

const char* const kMemoryOptions[] = {"DISCARDABLE", "MOVEABLE", "PURE", "PRELOAD", "LOADONCALL",
                                      "FIXED", "IMPURE", "SHARED", "NONSHARED"};

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool IsPunct(const Token& t, const char* p) { return t.kind == Token::Punct && t.text == p; }
bool IsWord(const Token& t, const char* w) { return t.kind == Token::Ident && Upper(t.text) == w; }
bool IsBegin(const Token& t) { return IsWord(t, "BEGIN") || IsPunct(t, "{"); }
bool IsEnd(const Token& t) { return IsWord(t, "END") || IsPunct(t, "}"); }
bool SameLine(const Token& a, const Token& b) { return a.file == b.file && a.line == b.line; }

void ClassOf(const std::string& name, Control& c) {
    static const struct {
        const char* name;
        ControlClass cls;
    } kClasses[] = {{"Button", ControlClass::Button}, {"Edit", ControlClass::Edit},
                    {"Static", ControlClass::Static}, {"ListBox", ControlClass::ListBox},
                    {"ComboBox", ControlClass::ComboBox}, {"ScrollBar", ControlClass::ScrollBar}};
    for (const auto& k : kClasses) {
        if (Upper(name) == Upper(k.name)) {
            c.className = k.name;
            c.cls = k.cls;
            return;
        }
    }
    c.className = name;
    c.cls = ControlClass::Custom;
}

class Parser {
public:
    Parser(const std::string& text, const std::string& fileName, const IncludeReader& include, Defines& defines,
           Document& doc)
        : pp_(text, fileName, include, defines), doc_(doc) {}

    bool Run(std::string& error) {
        bool ok = Resources();
        if (!ok) error = error_;
        return ok;
    }

    const Token& Peek() {
        if (!hasLook_) {
            look_ = pp_.Next();
            hasLook_ = true;
        }
        return look_;
    }
    Token Take() {
        Peek();
        hasLook_ = false;
        last_ = look_;
        return look_;
    }

private:
    class Stream : public TokenStream {
    public:
        explicit Stream(Parser& p) : p_(p) {}
        const Token& Peek() override { return p_.Peek(); }
        Token Take() override { return p_.Take(); }

    private:
        Parser& p_;
    };

    bool Fail(const Token& at, const std::string& message) {
        if (at.kind == Token::Error) error_ = at.text;
        else error_ = (at.file ? *at.file : std::string("?")) + ":" + std::to_string(at.line) + ": " + message;
        return false;
    }

    bool Value(uint32_t base, uint32_t& v) {
        Stream s(*this);
        std::string error;
        const Token& start = Peek();
        if (start.kind == Token::Error) return Fail(start, start.text);
        if (EvaluateRcExpression(s, pp_.Macros(), base, v, error)) return true;
        if (Peek().kind == Token::Error) return Fail(Peek(), "");
        return Fail(last_, error);
    }
    bool Int(int& v) {
        uint32_t u;
        if (!Value(0, u)) return false;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool Comma(const char* what) {
        Token t = Take();
        if (IsPunct(t, ",")) return true;
        return Fail(t, std::string("expected ',' ") + what);
    }
    bool OptionalComma() {
        if (!IsPunct(Peek(), ",")) return false;
        Take();
        return true;
    }

    // An expression left unevaluated (LANGUAGE ids, which need no meaning here).
    void SkipExpression() {
        while (true) {
            while (IsWord(Peek(), "NOT") || IsPunct(Peek(), "~") || IsPunct(Peek(), "-")) Take();
            Token t = Take();
            if (IsPunct(t, "(")) {
                int depth = 1;
                while (depth > 0 && Peek().kind != Token::End && Peek().kind != Token::Error) {
                    Token u = Take();
                    depth += IsPunct(u, "(") ? 1 : IsPunct(u, ")") ? -1 : 0;
                }
            }
            const Token& n = Peek();
            if (!(IsPunct(n, "|") || IsPunct(n, "&") || IsPunct(n, "+") || IsPunct(n, "-"))) return;
            Take();
        }
    }

    bool SkipBlock(const Token& open) {
        int depth = 1;
        while (depth > 0) {
            Token t = Take();
            if (t.kind == Token::Error) return Fail(t, "");
            if (t.kind == Token::End) return Fail(open, "BEGIN without END");
            if (IsBegin(t)) ++depth;
            else if (IsEnd(t)) --depth;
        }
        return true;
    }

    // A resource other than a dialog: its line, then a BEGIN ... END block if one follows.
    bool SkipResource(const Token& type) {
        bool untilBlock = IsWord(type, "VERSIONINFO");
        while (!IsBegin(Peek()) && Peek().kind != Token::End && Peek().kind != Token::Error &&
               (untilBlock || SameLine(Peek(), type)))
            Take();
        if (Peek().kind == Token::Error) return Fail(Peek(), "");
        if (IsBegin(Peek())) return SkipBlock(Take());
        return true;
    }

    bool Resources() {
        while (true) {
            Token t = Take();
            if (t.kind == Token::End) return true;
            if (t.kind == Token::Error) return Fail(t, "");
            if (IsWord(t, "LANGUAGE")) {
                SkipExpression();
                if (!Comma("in LANGUAGE")) return false;
                SkipExpression();
                continue;
            }
            if (IsWord(t, "STRINGTABLE")) {
                if (!SkipResource(t)) return false;
                continue;
            }
            if (t.kind != Token::Ident && t.kind != Token::Number && t.kind != Token::String)
                return Fail(t, "expected a resource name, found '" + t.text + "'");
            Token type = Take();
            if (type.kind == Token::Error) return Fail(type, "");
            if (type.kind == Token::End) return Fail(t, "resource " + t.text + " without a type");
            bool dialog = IsWord(type, "DIALOG"), dialogEx = IsWord(type, "DIALOGEX");
            if (!(dialog || dialogEx)) {
                if (!SkipResource(type)) return false;
                continue;
            }
            if (!DialogResource(t, dialogEx)) return false;
        }
    }

    bool DialogResource(const Token& name, bool extended) {
        Dialog d;
        d.name = name.text;
        d.extended = extended;
        d.file = name.file ? *name.file : "";
        d.line = name.line;
        if (name.kind == Token::Number) {
            d.number = static_cast<int>(name.value);
        } else if (name.kind == Token::Ident && pp_.Macros().count(name.text)) {
            uint32_t v;
            std::string ignored;
            if (MacroValue(name.text, pp_.Macros(), v, ignored)) d.number = static_cast<int>(v);
        }
        while (Peek().kind == Token::Ident &&
               std::any_of(std::begin(kMemoryOptions), std::end(kMemoryOptions), [&](const char* o) { return IsWord(Peek(), o); }))
            Take();
        if (!Int(d.x) || !Comma("after the dialog's x") || !Int(d.y) || !Comma("after the dialog's y") ||
            !Int(d.width) || !Comma("after the dialog's width") || !Int(d.height))
            return false;
        int help;
        if (extended && OptionalComma() && !Int(help)) return false;
        d.style = kDialogDefaultStyle;
        bool styled = false;
        while (!IsBegin(Peek())) {
            Token s = Take();
            if (s.kind == Token::Error) return Fail(s, "");
            if (s.kind == Token::End) return Fail(name, "dialog " + d.name + " has no BEGIN");
            std::string word = s.kind == Token::Ident ? Upper(s.text) : "";
            if (word == "STYLE") {
                if (!Value(0, d.style)) return false;
                styled = true;
            } else if (word == "EXSTYLE") {
                if (!Value(0, d.exStyle)) return false;
            } else if (word == "CAPTION") {
                Token c = Take();
                if (c.kind != Token::String) return Fail(c, "CAPTION needs a quoted text");
                d.caption = c.text;
                if (!styled) d.style |= kCaptionStyle;
            } else if (word == "FONT") {
                if (!Font(d)) return false;
            } else if (word == "MENU" || word == "CLASS") {
                Take();
            } else if (word == "LANGUAGE") {
                SkipExpression();
                if (!Comma("in LANGUAGE")) return false;
                SkipExpression();
            } else if (word == "CHARACTERISTICS" || word == "VERSION") {
                uint32_t ignored;
                if (!Value(0, ignored)) return false;
            } else {
                return Fail(s, "unexpected '" + s.text + "' in dialog " + d.name);
            }
        }
        Token open = Take();
        while (!IsEnd(Peek())) {
            if (Peek().kind == Token::Error) return Fail(Peek(), "");
            if (Peek().kind == Token::End) return Fail(open, "dialog " + d.name + " is not closed with END");
            Control c;
            if (!ControlStatement(c, extended)) return false;
            d.controls.push_back(std::move(c));
        }
        Take();
        doc_.dialogs.push_back(std::move(d));
        return true;
    }

    bool Font(Dialog& d) {
        if (!Int(d.fontSize) || !Comma("after the font size")) return false;
        Token face = Take();
        if (face.kind != Token::String) return Fail(face, "FONT needs a quoted face name");
        d.fontFace = face.text;
        if (OptionalComma() && !Int(d.fontWeight)) return false;
        int italic = 0;
        if (OptionalComma() && !Int(italic)) return false;
        d.fontItalic = italic != 0;
        if (OptionalComma() && !Int(d.fontCharset)) return false;
        return true;
    }

    bool TextArgument(std::string& text) {
        Token t = Take();
        if (t.kind == Token::String || t.kind == Token::Ident || t.kind == Token::Number) {
            text = t.text;
            return true;
        }
        return Fail(t, "expected the control's text");
    }

    bool Rectangle(Control& c) {
        return Int(c.x) && Comma("after the control's x") && Int(c.y) && Comma("after the control's y") &&
               Int(c.width) && Comma("after the control's width") && Int(c.height);
    }

    // The optional style, extended style and help id after a control's rectangle.
    bool Tail(Control& c, uint32_t base, bool extended, bool withStyle) {
        if (withStyle && OptionalComma() && !Value(base, c.style)) return false;
        if (OptionalComma() && !Value(0, c.exStyle)) return false;
        uint32_t help;
        if (extended && OptionalComma() && !Value(0, help)) return false;
        if (extended && IsBegin(Peek())) return SkipBlock(Take());
        return true;
    }

    bool ControlStatement(Control& c, bool extended) {
        Token kw = Take();
        const ControlKind* kind = nullptr;
        for (const ControlKind& k : kControls)
            if (IsWord(kw, k.keyword)) kind = &k;
        if (kind == nullptr) return Fail(kw, "unknown control statement '" + kw.text + "'");
        c.keyword = kind->keyword;
        c.line = kw.line;
        uint32_t base = kChildVisible | kind->style;
        c.style = base;
        c.cls = kind->cls;
        c.className = kind->className;
        if (c.keyword == "CONTROL") {
            std::string cls;
            if (!TextArgument(c.text) || !Comma("after the control's text") || !Int(c.id) ||
                !Comma("after the control id") || !TextArgument(cls) || !Comma("after the class name") ||
                !Value(kChildVisible, c.style) || !Comma("after the style") || !Rectangle(c))
                return false;
            ClassOf(cls, c);
            return Tail(c, 0, extended, false);
        }
        if (c.keyword == "ICON") {
            if (!TextArgument(c.text) || !Comma("after the icon") || !Int(c.id) || !Comma("after the control id") ||
                !Int(c.x) || !Comma("after the control's x") || !Int(c.y))
                return false;
            if (OptionalComma() && (!Int(c.width) || !Comma("after the icon's width") || !Int(c.height))) return false;
            return Tail(c, base, extended, true);
        }
        if (kind->hasText) {
            Token t = Take();
            if (t.kind != Token::String) return Fail(t, c.keyword + " needs a quoted text first");
            c.text = t.text;
            if (!Comma("after the control's text")) return false;
        }
        if (!Int(c.id) || !Comma("after the control id") || !Rectangle(c)) return false;
        return Tail(c, base, extended, true);
    }

    Preprocessor pp_;
    Document& doc_;
    Token look_, last_;
    bool hasLook_ = false;
    std::string error_;
};

}  // namespace

bool Parse(const std::string& text, const std::string& fileName, Document& doc, std::string& error,
           const IncludeReader& include, Defines* defines) {
    Defines local;
    Document result;
    Parser parser(text, fileName, include, defines ? *defines : local, result);
    if (!parser.Run(error)) return false;
    for (Dialog& d : result.dialogs) doc.dialogs.push_back(std::move(d));
    return true;
}

std::string KeywordFor(ControlClass cls, uint32_t style) {
    if (cls == ControlClass::Custom) return "CONTROL";
    const uint32_t typeBits = cls == ControlClass::Button ? 0xF : cls == ControlClass::Static ? 0x1F : 0;
    for (const ControlKind& kind : kControls)
        if (kind.cls == cls && (kind.style & typeBits) == (style & typeBits)) return kind.keyword;
    return "CONTROL";
}

}  // namespace qlhost::rc
