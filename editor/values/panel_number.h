#pragma once
#include <QString>
#include <string>

#include "field_number.h"

// The decimal separator the windows read and show numbers with: the default
// QLocale's, when that is one ASCII character the number grammar can take.
// Otherwise (the Arabic and Persian "٫", for one) the dot: the windows then
// show and read dots, so what they show still reads back.
char localeDecimalPoint();

// A number text written with a dot (formatSingle and the texts built on it),
// as the windows show it: with localeDecimalPoint().
QString shownText(const std::string& dotText);

// A field's text read with readNumber and localeDecimalPoint(). Group
// separators, "inf" and "nan" are not numeric; numeric text beyond the double
// range reads as an infinite number, which no target can hold.
FieldNumber readPanelNumber(const QString& text);

// The text, its number and the separator, for the value save.
ValueField panelField(const QString& text);
