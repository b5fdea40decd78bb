#pragma once
#include <cstdint>
#include <vector>

#include "scene_index.h"

// A second reading of the index rules, written as plainly as possible (one
// byte per step, linear name search), to check the fast builder against.
SceneIndex referenceIndex(const std::vector<std::uint8_t>& file);
