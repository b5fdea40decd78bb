#pragma once
// Fields that pass the insert window's checks for any category, shared by the
// insertion tests and the random edits of the history tests.
#include <string>

#include "insert_fields.h"

inline InsertFields sampleInsertFields(const std::string& category, const std::string& name) {
    InsertFields f;
    f.modelchoice = category;
    f.name = name;
    f.model = "house.i3d";
    f.translation = {"1.5", "-2", "3.25"};
    f.size = {"1", "2", "0.5"};
    f.q0 = "0.5";
    f.q2 = "0.8660254";
    f.vertical = "30";
    f.q3 = "-0.25";
    f.brightness = "2.5";
    f.colour = {"255", "128", "0"};
    f.thingWeight = "80";
    f.thingSound = 3;
    f.humanWeight = "75";
    f.aggression = "0.5";
    f.sex = "17";
    f.behaviour = 16;
    f.doorOption = 2;
    return f;
}
