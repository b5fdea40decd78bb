#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The record templates the editor carries (resource type "CUSTOM"): the
// files of resources/templates/, built into the core as byte arrays.
struct RecordTemplate {
    std::string_view name;
    std::span<const std::uint8_t> bytes;
};

std::span<const RecordTemplate> recordTemplates();

// The template of that exact name.
std::optional<std::span<const std::uint8_t>> findTemplate(std::string_view name);
