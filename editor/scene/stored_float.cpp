#include <bit>

#include "scene_index.h"

float StoredFloat::value() const {
    return std::bit_cast<float>(bits);
}

StoredFloat StoredFloat::fromValue(float f) {
    return StoredFloat{std::bit_cast<std::uint32_t>(f)};
}
