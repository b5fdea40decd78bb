#pragma once
// The editor's record templates (resource type "CUSTOM"), written byte for
// byte. The editor carries the files this writes under resources/templates/;
// `templategen DIR` writes them again.
#include <cstdint>
#include <string>
#include <vector>

namespace templates {

struct RecordTemplate {
    std::string name; // the resource name, and the file name without ".bin"
    std::vector<std::uint8_t> bytes;
};

// Every template, in a fixed order.
std::vector<RecordTemplate> buildRecordTemplates();

// The prepared scene of the special name: the actor definition and the
// object and definition records around it.
std::vector<std::uint8_t> buildVincs1();
std::vector<std::uint8_t> buildVincp1();
std::vector<std::uint8_t> buildVincp2();

// HUMAN3 up to its script length field (95 bytes); VINCS1 shares it.
std::vector<std::uint8_t> human3Head();

// A script of exactly `length` bytes in the game's script language: `lines`
// (each ending CR LF) after a heading comment, padded with comment lines
// before the last line.
std::string scriptOfLength(const std::string& heading, const std::vector<std::string>& lines,
                           std::size_t length);

} // namespace templates
