#include "files/printable.h"

#include <cstdio>

namespace kanimo {

namespace {

// Characters shown before the cut; a path deep in a tree still fits.
constexpr std::size_t maxShown = 100;

// The length of the well-formed UTF-8 sequence that starts `text`, or 0. Overlong forms,
// surrogates and values above U+10FFFF are not well formed.
std::size_t sequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

void appendEscape(std::string& out, unsigned char c) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
    out += escape;
}

} // namespace

std::string printable(std::string_view text) {
    std::string out;
    std::size_t shown = 0;
    std::size_t i = 0;
    while (i < text.size() && shown < maxShown) {
        const auto c = static_cast<unsigned char>(text[i]);
        ++shown;
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            appendEscape(out, c);
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (const std::size_t n = sequenceLength(text.substr(i)); n == 0) {
            appendEscape(out, c);
        } else if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            // U+0080 to U+009F: control characters too.
            appendEscape(out, c);
            appendEscape(out, static_cast<unsigned char>(text[i + 1]));
            i += 2;
            continue;
        } else {
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        ++i;
    }
    if (i < text.size()) out += "...";
    return out;
}

} // namespace kanimo
