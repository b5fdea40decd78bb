#pragma once
#include "insert_fields.h"
#include "scene_index.h"

// The insert window's fields as a menu entry presets them: for the category
// alone (no object selected), or copied from `like` as the window copies the
// selected object. The dials stand at 0 unless `like` positions them.
struct InsertPreset {
    InsertFields fields;
    int horizontalDial = 0; // Slider1, 0 .. 180
    int verticalDial = 0;   // Slider2, -90 .. 90
};

InsertPreset insertPreset(InsertCategory category, const IndexRecord* like);

// The dial actions the insertion runs first: Text9, Text10 and Text12 from
// the dials' positions.
void applyDials(InsertPreset& preset);

// "human", "car", ... "invisiblewall" in any letter case: the "&Insert" menu
// entries without their "&".
std::optional<InsertCategory> categoryFromMenuName(std::string_view name);
