#include "template_writer.h"

#include <stdexcept>
#include <string_view>

#include "scene_random.h"
#include "scene_writer.h"

namespace templates {
namespace {

using Bytes = std::vector<std::uint8_t>;

void append(Bytes& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes);
}

// A 16-byte sound name field: the name, a 0 byte, CD filler.
void soundField(Bytes& out, std::string_view name) {
    if (name.size() > 15)
        throw std::logic_error("sound name too long");
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    out.insert(out.end(), 15 - name.size(), 0xCD);
}

Bytes thing1() {
    return {0x22, 0xAE, 0x0A, 0x00, 0x00, 0x00, 0x23, 0x00, 0x00, 0x00, 0x24, 0xAE,
            0x25, 0x00, 0x00, 0x00, 0x02, 0x01, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00,
            0x80, 0x3F, 0xBD, 0x41, 0xD3, 0x41, 0x00, 0x00, 0x00, 0x3F, 0x0A, 0xD7,
            0x23, 0x3C, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF};
}

// The door parameters up to the first sound name (37 bytes).
Bytes doorHead() {
    return {0x22, 0xAE, 0x0A, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x24, 0xAE, 0x4C,
            0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0xDB, 0x0F, 0xC9,
            0x3F, 0x00, 0x00, 0x6E, 0x12, 0x83, 0x3B, 0x6E, 0x12, 0x83, 0x3B};
}

Bytes door(std::string_view open, std::string_view close, std::string_view locked) {
    Bytes b = doorHead();
    soundField(b, open);
    soundField(b, close);
    soundField(b, locked);
    b.push_back(0);
    return b;
}

Bytes door3() {
    Bytes b = door("d_glass1op.wav", "d_glass1cl.wav", "d_woodlo.wav");
    const std::uint8_t angle[] = {0x5C, 0x77, 0xD6, 0x3F};
    const std::uint8_t speed[] = {0x01, 0x73, 0x42, 0x3B};
    std::copy(std::begin(angle), std::end(angle), b.begin() + 23);
    std::copy(std::begin(speed), std::end(speed), b.begin() + 29);
    return b;
}

Bytes wall() {
    Bytes b = door("d_woodop.wav", "d_woodcl.wav", "d_woodlo.wav");
    b[28] = 0x01; // locked
    return b;
}

} // namespace

Bytes human3Head() {
    Bytes b = {0x22, 0xAE, 0x0A, 0x00, 0x00, 0x00, 0x1B, 0x00, 0x00, 0x00, 0x24, 0xAE};
    append(b, {0x69, 0x00, 0x00, 0x00, 0x06, 0x08, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x33,
               0x33, 0x33, 0x3F, 0x00, 0x00, 0xC8, 0x42, 0x00, 0x00, 0xA0, 0x41, 0x00, 0x00, 0xA0,
               0x41, 0x00, 0x00, 0xA0, 0x41, 0x00, 0x00, 0xA0, 0x41, 0x33, 0x33, 0x33, 0x3F, 0x00,
               0x00, 0x80, 0x3F, 0x99, 0x99, 0x59, 0x3F, 0xCC, 0xCC, 0x4C, 0x3F, 0x00, 0x00, 0x80,
               0x3F, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0x3F, 0xCB, 0xCC, 0x4C, 0x3F, 0x00,
               0x00, 0xA0, 0x42, 0x00, 0x00, 0x00, 0x3F, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00});
    return b; // 95 bytes: up to the script length field
}

namespace {

Bytes human3() {
    Bytes b = human3Head();
    append(b, {0x10, 0x00, 0x00, 0x00});
    b.insert(b.end(), 16, '/');
    return b;
}

// A vehicle definition: the type chunk, then a data chunk holding the game's
// compressed vehicle block (u32 1, u32 size of what follows, "COMP", packed
// data). The packed bytes never hold a 0 byte, so no script marker can show.
Bytes vehicle(std::size_t total, std::uint64_t seed) {
    SceneWriter w;
    w.chunkU32(0xAE22, 4);
    w.beginChunk(0xAE24);
    const std::size_t packed = total - 10 - 6 - 12;
    w.u32(1);
    w.u32(static_cast<std::uint32_t>(4 + packed));
    w.raw(std::string_view("COMP"));
    SceneRandom random(seed);
    for (std::size_t i = 0; i < packed; ++i)
        w.u8(static_cast<std::uint8_t>(1 + random.below(255)));
    w.endChunk();
    return w.take();
}

} // namespace

std::string scriptOfLength(const std::string& heading, const std::vector<std::string>& lines,
                           std::size_t length) {
    std::string text = "// " + heading + "\r\n";
    std::string last;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        text += lines[i] + "\r\n";
    if (!lines.empty())
        last = lines.back() + "\r\n";
    if (text.size() + last.size() > length)
        throw std::logic_error("script longer than its length");
    std::size_t pad = length - text.size() - last.size();
    // Comment lines "//....\r\n" of at most 66 bytes; each takes at least 4.
    while (pad > 0) {
        std::size_t line = std::min<std::size_t>(pad, 66);
        if (pad - line > 0 && pad - line < 4)
            line = pad - 4;
        if (line < 4)
            throw std::logic_error("script padding below one comment line");
        text += "//" + std::string(line - 4, '.') + "\r\n";
        pad -= line;
    }
    return text + last;
}

std::vector<RecordTemplate> buildRecordTemplates() {
    return {
        {"THING1", thing1()},
        {"DOOR1", door("d_woodop.wav", "d_woodcl.wav", "d_woodlo.wav")},
        {"DOOR2", door("d_brassop.wav", "d_brasscl.wav", "d_brasslo.wav")},
        {"DOOR3", door3()},
        {"WALL", wall()},
        {"HUMAN3", human3()},
        {"CAR1", vehicle(2662, 1)},
        {"CAR2", vehicle(2377, 2)},
        {"CAR3", vehicle(2443, 3)},
        {"VINCS1", buildVincs1()},
        {"VINCP1", buildVincp1()},
        {"VINCP2", buildVincp2()},
    };
}

} // namespace templates
