#pragma once
#include <cstdint>

// Chunk identifiers of scene2.bin. Ids lie in the file low byte first.
namespace chunk {
inline constexpr std::uint16_t Objects = 0x4000;
inline constexpr std::uint16_t ObjectRecord = 0x4010;
inline constexpr std::uint16_t ObjectType = 0x4011;
inline constexpr std::uint16_t Name = 0x0010;
inline constexpr std::uint16_t Translation = 0x0020;
inline constexpr std::uint16_t Rotation = 0x0022;
inline constexpr std::uint16_t Size = 0x002D;
inline constexpr std::uint16_t ReferenceVector = 0x002C;
inline constexpr std::uint16_t Parent = 0x4020;
inline constexpr std::uint16_t Model = 0x2012;
inline constexpr std::uint16_t LightBlock = 0x4040;
inline constexpr std::uint16_t LightKind = 0x4041;
inline constexpr std::uint16_t LightColour = 0x0026;
inline constexpr std::uint16_t LightBrightness = 0x4042;
inline constexpr std::uint16_t LightCone = 0x4043;
inline constexpr std::uint16_t LightRange = 0x4044;
inline constexpr std::uint16_t LightFlags = 0x4045;
inline constexpr std::uint16_t LightSector = 0x4046;
inline constexpr std::uint16_t Box = 0x4050;

inline constexpr std::uint16_t Definitions = 0xAE20;
inline constexpr std::uint16_t DefinitionRecord = 0xAE21;
inline constexpr std::uint16_t DefinitionType = 0xAE22;
inline constexpr std::uint16_t DefinitionName = 0xAE23;
inline constexpr std::uint16_t DefinitionData = 0xAE24;
inline constexpr std::uint16_t InitScripts = 0xAE50;
inline constexpr std::uint16_t InitScriptRecord = 0xAE51;

// Every chunk starts with a u16 id and a u32 length that includes these 6 bytes.
inline constexpr std::uint32_t HeaderSize = 6;
} // namespace chunk

// An object's translation, rotation and size chunks stand in a row. Offsets of
// their payloads from the first translation byte (each after a 6-byte header).
namespace placement {
inline constexpr std::uint32_t Rotation = 18; // four singles q0 .. q3
inline constexpr std::uint32_t Size = 40;     // three singles
inline constexpr std::uint32_t End = 52;      // after size Z
} // namespace placement

// Definition types that carry values.
namespace deftype {
inline constexpr std::uint8_t Vehicle = 4;
inline constexpr std::uint8_t Physical = 6;
inline constexpr std::uint8_t Human = 27;
inline constexpr std::uint8_t Thing = 35;
} // namespace deftype

// Entry kinds shown by the value panels.
namespace kind {
inline constexpr std::uint8_t Plain = 255;
inline constexpr std::uint8_t Light = 2;
} // namespace kind
