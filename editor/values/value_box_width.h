#pragma once
#include <QString>

class QFont;
class QLineEdit;

// The value boxes are as wide as the longest text they show, measured in the
// font they are drawn with, so no sign or digit is ever scrolled out of view.
enum class BoxText {
    Single,      // a single: sign, seven significant digits, exponent ("-1.234568E-38")
    AngleDouble, // a double with up to fifteen significant digits
    Byte,        // a whole number 0 to 255
};

// The widest text of that kind in `font`, built from the font's widest digit.
QString longestText(BoxText kind, const QFont& font);

// Fixes `box`'s width to show the longest text of `kind` whole in `font`.
void fitBox(QLineEdit* box, BoxText kind, const QFont& font);
