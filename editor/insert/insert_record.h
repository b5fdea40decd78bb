#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "insert_values.h"

// The bytes insertion writes. Lengths follow the record tables of the
// insertion: an object record of 133 + n + m bytes for model objects, 106 + n + m
// for buildings, 229 + n for lights, 156 + n for "other"; a definition record of
// 13 + n + t bytes, t being the template bytes used.

std::vector<std::uint8_t> buildObjectRecord(const InsertValues& v);

// Empty for "building" and "light", which get no definition record.
std::vector<std::uint8_t> buildDefinitionRecord(const InsertValues& v);

// The name of the template a category uses (empty when built in code or none),
// and how many of its bytes are copied.
struct TemplateUse {
    std::string name;
    std::size_t bytes = 0;
};
TemplateUse templateFor(const InsertValues& v);

// The fixed light rotation, as stored bytes q0 .. q3.
inline constexpr std::uint32_t LightRotationBits[4] = {0x3F33C5C5, 0xBF363170, 0x3C98BC2A,
                                                       0xBB5A27C4};
