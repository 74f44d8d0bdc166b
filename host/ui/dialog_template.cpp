// Reader of compiled dialog templates (the bytes of an RT_DIALOG resource).
#include "host/ui/dialog_template.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace qlhost::rc {
namespace {

constexpr uint16_t kOrdinalMark = 0xFFFF;  // a name or class given as a number follows
constexpr uint16_t kExtendedSignature = 0xFFFF;
constexpr uint16_t kExtendedVersion = 1;
constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT (DS_SHELLFONT includes it): a font block follows

struct KnownClass {
    uint16_t ordinal;
    const char* name;
    ControlClass cls;
};

constexpr KnownClass kClasses[] = {
    {0x80, "Button", ControlClass::Button},       {0x81, "Edit", ControlClass::Edit},
    {0x82, "Static", ControlClass::Static},       {0x83, "ListBox", ControlClass::ListBox},
    {0x84, "ScrollBar", ControlClass::ScrollBar}, {0x85, "ComboBox", ControlClass::ComboBox},
};

bool SameNoCase(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// One UTF-16 code unit in the 8-bit code page; a surrogate pair is one character.
void AppendLatin1(std::string& out, uint16_t unit, bool& lowSurrogateDue) {
    if (lowSurrogateDue && unit >= 0xDC00 && unit <= 0xDFFF) {
        lowSurrogateDue = false;
        return;
    }
    lowSurrogateDue = unit >= 0xD800 && unit <= 0xDBFF;
    out.push_back(unit < 0x100 ? static_cast<char>(static_cast<unsigned char>(unit)) : '?');
}

// A bounded cursor over the template; every read names its field for the error, within the
// item being read (none for the header).
class Reader {
public:
    Reader(const uint8_t* data, size_t size, std::string& error) : data_(data), size_(size), error_(error) {}

    void Within(std::string item) { item_ = std::move(item); }
    const std::string& Item() const { return item_; }

    bool Word(uint16_t& v, const char* what) { return Read(&v, sizeof v, what); }
    bool Dword(uint32_t& v, const char* what) { return Read(&v, sizeof v, what); }
    bool Short(int& v, const char* what) {
        uint16_t w = 0;
        if (!Word(w, what)) return false;
        v = static_cast<int16_t>(w);
        return true;
    }
    bool Byte(uint8_t& v, const char* what) { return Read(&v, sizeof v, what); }

    // A NUL-terminated UTF-16 string.
    bool String(std::string& text, const char* what) {
        text.clear();
        bool surrogate = false;
        while (true) {
            uint16_t unit = 0;
            if (!Word(unit, what)) return false;
            if (unit == 0) return true;
            AppendLatin1(text, unit, surrogate);
        }
    }

    // 0x0000 (none), 0xFFFF and an ordinal, or a string. ordinal is -1 for a string or none.
    bool NameOrOrdinal(std::string& text, int& ordinal, const char* what) {
        text.clear();
        ordinal = -1;
        uint16_t first = 0;
        if (!Word(first, what)) return false;
        if (first == 0) return true;
        if (first == kOrdinalMark) {
            uint16_t number = 0;
            if (!Word(number, what)) return false;
            ordinal = number;
            return true;
        }
        pos_ -= sizeof first;
        return String(text, what);
    }

    bool Skip(size_t n, const char* what) {
        if (n > size_ - pos_) return Cut(what);
        pos_ += n;
        return true;
    }
    // Items start on a DWORD boundary of the template; the last one may lack its padding.
    void AlignDword() { pos_ = std::min(size_, (pos_ + 3) & ~static_cast<size_t>(3)); }

    bool Fail(const std::string& message) {
        error_ = message + " (byte " + std::to_string(pos_) + " of " + std::to_string(size_) + ")";
        return false;
    }

private:
    bool Read(void* out, size_t n, const char* what) {
        if (n > size_ - pos_) return Cut(what);
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    bool Cut(const char* what) {
        return Fail("it ends inside " + (item_.empty() ? std::string(what) : item_ + "'s " + what));
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    std::string& error_;
    std::string item_;
};

bool Rectangle(Reader& r, int& x, int& y, int& width, int& height) {
    return r.Short(x, "x") && r.Short(y, "y") && r.Short(width, "width") && r.Short(height, "height");
}

bool Header(Reader& r, Dialog& d, uint16_t& count) {
    uint16_t version = 0, signature = 0;
    if (!r.Word(version, "the header") || !r.Word(signature, "the header")) return false;
    d.extended = signature == kExtendedSignature;
    if (d.extended) {
        if (version != kExtendedVersion)
            return r.Fail("the extended template has version " + std::to_string(version) + ", not 1");
        uint32_t help = 0;
        if (!r.Dword(help, "the header's help id") || !r.Dword(d.exStyle, "the header's extended style") ||
            !r.Dword(d.style, "the header's style"))
            return false;
    } else {
        d.style = version | static_cast<uint32_t>(signature) << 16;
        if (!r.Dword(d.exStyle, "the header's extended style")) return false;
    }
    if (!r.Word(count, "the header's item count")) return false;
    r.Within("the dialog");
    if (!Rectangle(r, d.x, d.y, d.width, d.height)) return false;
    r.Within("");
    std::string ignored;
    int ordinal;
    if (!r.NameOrOrdinal(ignored, ordinal, "the menu name") || !r.NameOrOrdinal(ignored, ordinal, "the class name") ||
        !r.String(d.caption, "the caption"))
        return false;
    if ((d.style & kSetFont) == 0) return true;
    uint16_t points = 0;
    if (!r.Word(points, "the font size")) return false;
    d.fontSize = points;
    if (d.extended) {
        uint16_t weight = 0;
        uint8_t italic = 0, charset = 0;
        if (!r.Word(weight, "the font weight") || !r.Byte(italic, "the font's italic flag") ||
            !r.Byte(charset, "the font's character set"))
            return false;
        d.fontWeight = weight;
        d.fontItalic = italic != 0;
        d.fontCharset = charset;
    }
    return r.String(d.fontFace, "the font face");
}

bool ClassOf(Reader& r, Control& c) {
    std::string name;
    int ordinal;
    if (!r.NameOrOrdinal(name, ordinal, "class")) return false;
    for (const KnownClass& k : kClasses) {
        if (ordinal == k.ordinal || (ordinal < 0 && SameNoCase(name, k.name))) {
            c.className = k.name;
            c.cls = k.cls;
            return true;
        }
    }
    if (ordinal >= 0) return r.Fail(r.Item() + " has the unknown class number " + std::to_string(ordinal));
    if (name.empty()) return r.Fail(r.Item() + " has no class");
    c.className = name;
    c.cls = ControlClass::Custom;
    return true;
}

bool Item(Reader& r, bool extended, Control& c) {
    if (extended) {
        uint32_t help = 0;
        if (!r.Dword(help, "help id") || !r.Dword(c.exStyle, "extended style") || !r.Dword(c.style, "style"))
            return false;
    } else if (!r.Dword(c.style, "style") || !r.Dword(c.exStyle, "extended style")) {
        return false;
    }
    if (!Rectangle(r, c.x, c.y, c.width, c.height)) return false;
    if (extended) {
        uint32_t id = 0;
        if (!r.Dword(id, "id")) return false;
        c.id = static_cast<int32_t>(id);
    } else if (!r.Short(c.id, "id")) {  // a WORD: 0xFFFF is IDC_STATIC (-1), as a script writes it
        return false;
    }
    if (!ClassOf(r, c)) return false;
    int ordinal;
    if (!r.NameOrOrdinal(c.text, ordinal, "title")) return false;
    if (ordinal >= 0) c.text = std::to_string(ordinal);
    uint16_t extra = 0;
    if (!r.Word(extra, "creation data size") || !r.Skip(extra, "creation data")) return false;
    c.keyword = KeywordFor(c.cls, c.style);
    return true;
}

}  // namespace

bool ReadDialogTemplate(const uint8_t* data, size_t size, Dialog& dialog, std::string& error) {
    Reader r(data, size, error);
    Dialog d;
    uint16_t count = 0;
    if (!Header(r, d, count)) return false;
    for (uint16_t i = 0; i < count; ++i) {
        r.AlignDword();
        Control c;
        r.Within("item " + std::to_string(i + 1));
        if (!Item(r, d.extended, c)) return false;
        d.controls.push_back(std::move(c));
    }
    d.name = std::move(dialog.name);
    d.number = dialog.number;
    d.file = std::move(dialog.file);
    d.line = dialog.line;
    dialog = std::move(d);
    return true;
}

}  // namespace qlhost::rc
