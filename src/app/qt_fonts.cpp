#include "app/qt_fonts.h"

#include <QFont>

namespace kanimo {

namespace {

struct FontSubstitute {
    const char* family;
    const char* face;
};

// Faces from Debian's font packages whose widths keep the layout at its sizes: a four-digit
// figure stays clear of the caption beside it and the title stays inside its frame. Without
// them the platform's fallback (DejaVu Sans, commonly) runs over both. A family's faces are
// tried in the order given.
constexpr FontSubstitute substitutes[] = {
    // PT Sans comes within two pixels of every caption's designed width; Liberation Sans is
    // a pixel wider per digit, enough for four digits to reach the caption.
    {"MS Sans Serif", "PT Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Trebuchet MS", "Liberation Sans"},
    // Made to Arial's metrics.
    {"Arial", "Liberation Sans"},
};

} // namespace

void registerFontSubstitutes() {
    for (const FontSubstitute& s : substitutes) {
        QFont::insertSubstitution(QString::fromLatin1(s.family), QString::fromLatin1(s.face));
    }
}

} // namespace kanimo
