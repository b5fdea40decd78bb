#pragma once
#include <QString>

#include "field_number.h"

// A value field's text read in the user's number format (QLocale). Text such
// as "inf" or "nan" is not numeric; numeric text beyond the double range reads
// as an infinite number, which no target can hold.
FieldNumber readPanelNumber(const QString& text);

// The text and its number, for the value save.
ValueField panelField(const QString& text);
