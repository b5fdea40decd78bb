#pragma once
#include <cstdint>

class MDIForm1;
class QString;
struct IndexRecord;

// The selection display's steps that fill the value panel from an entry's
// index record. A value the record lacks shows as an empty field.

// Brightness and colour, shown for every entry whatever its kind.
void showLightFields(MDIForm1& window, const IndexRecord& record);

// Light (2), thing (35) or human (27) frame; any other kind shows none.
void showKindFrame(MDIForm1& window, std::uint8_t kind);

// Name, model, translation, rotation (with the dials) and size.
void showCommonValues(MDIForm1& window, const QString& entryText, const IndexRecord& record);

// Init-script entries carry no object values: their fields are locked.
void lockValueFields(MDIForm1& window, bool initScript);

void showThingValues(MDIForm1& window, const IndexRecord& record);
void showHumanValues(MDIForm1& window, const IndexRecord& record);

// A file without entries: no field shows a value of an earlier file.
void clearEntryDisplay(MDIForm1& window);

// The value fields and labels that an edit turned red go back to window text.
void resetValueMarks(MDIForm1& window);
