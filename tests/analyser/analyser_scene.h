#pragma once
// Small hand-built scene files for the analyser's rules: definition records
// and init-script records laid out as the game writes them, placed behind
// padding so that they fall into the last fifth of the file.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Object values that hide a script from the tick test but not from the
// script location: "Game", eleven zero bytes, then the text.
inline std::vector<std::uint8_t> untickedScript(const std::string& text) {
    std::vector<std::uint8_t> v{'G', 'a', 'm', 'e'};
    v.resize(15, 0x00);
    v.insert(v.end(), text.begin(), text.end());
    return v;
}

class AnalyserScene {
public:
    // A definition record: name chunk first, then type and data; the data
    // holds `values`, then the script (01 00 00 00 00, u32 length, text)
    // when `script` is not empty.
    AnalyserScene& object(const std::string& name, const std::string& script,
                          const std::vector<std::uint8_t>& values = {0x00, 0x01, 0x02}) {
        Record r;
        r.kind = Record::Object;
        r.name = name;
        r.script = script;
        r.values = values;
        records_.push_back(r);
        return *this;
    }

    // An init-script record: five bytes below 29, the name, one trailing
    // byte, a zero byte, zero bytes up to offset 30, then the text.
    AnalyserScene& init(const std::string& name, const std::string& script) {
        Record r;
        r.kind = Record::Init;
        r.name = name;
        r.script = script;
        records_.push_back(r);
        return *this;
    }

    // Raw bytes between records.
    AnalyserScene& raw(const std::vector<std::uint8_t>& bytes) {
        Record r;
        r.kind = Record::Raw;
        r.values = bytes;
        records_.push_back(r);
        return *this;
    }

    struct Built {
        std::vector<std::uint8_t> bytes;
        std::vector<std::size_t> recordOffsets; // 0-based, per record in order
        std::vector<std::size_t> scriptOffsets; // 0-based first text byte; 0 when none
    };

    // `padding` bytes of 0x11 come first; by default four times the records,
    // so the records are exactly the last fifth or a little less.
    Built build(std::size_t padding = SIZE_MAX) const {
        std::vector<std::uint8_t> body;
        Built out;
        for (const Record& r : records_) {
            out.recordOffsets.push_back(body.size());
            std::size_t scriptAt = 0;
            appendRecord(body, r, scriptAt);
            out.scriptOffsets.push_back(scriptAt);
        }
        if (padding == SIZE_MAX)
            padding = body.size() * 4 + 8;
        out.bytes.assign(padding, 0x11);
        out.bytes.insert(out.bytes.end(), body.begin(), body.end());
        for (auto& o : out.recordOffsets)
            o += padding;
        for (auto& o : out.scriptOffsets)
            o = o ? o + padding : 0;
        return out;
    }

private:
    struct Record {
        enum Kind { Object, Init, Raw } kind = Object;
        std::string name;
        std::string script;
        std::vector<std::uint8_t> values;
    };

    static void u16(std::vector<std::uint8_t>& b, std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void u32(std::vector<std::uint8_t>& b, std::size_t v) {
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<std::uint8_t>(v >> (8 * i));
            if (byte == 0xAE)
                throw std::logic_error("test scene: a length field holds 0xAE");
            b.push_back(byte);
        }
    }
    static void text(std::vector<std::uint8_t>& b, const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
    }

    static void appendRecord(std::vector<std::uint8_t>& b, const Record& r, std::size_t& scriptAt) {
        if (r.kind == Record::Raw) {
            b.insert(b.end(), r.values.begin(), r.values.end());
            return;
        }
        const std::size_t start = b.size();
        if (r.kind == Record::Init) {
            u16(b, 0xAE51);
            u32(b, 0); // patched below
            for (std::uint8_t v : {0x02, 0x00, 0x00, 0x00, 0x00})
                b.push_back(v);
            text(b, r.name);
            b.push_back('~');
            b.push_back(0);
            while (b.size() - start < 30)
                b.push_back(0);
            scriptAt = b.size();
            text(b, r.script);
        } else {
            u16(b, 0xAE21);
            u32(b, 0);
            u16(b, 0xAE23);
            u32(b, 6 + r.name.size() + 1);
            text(b, r.name);
            b.push_back(0);
            u16(b, 0xAE22);
            u32(b, 10);
            u32(b, 27);
            u16(b, 0xAE24);
            const std::size_t scriptPart = r.script.empty() ? 0 : 9 + r.script.size();
            u32(b, 6 + r.values.size() + scriptPart);
            b.insert(b.end(), r.values.begin(), r.values.end());
            if (!r.script.empty()) {
                for (std::uint8_t v : {0x01, 0x00, 0x00, 0x00, 0x00})
                    b.push_back(v);
                u32(b, r.script.size());
                scriptAt = b.size();
                text(b, r.script);
            }
        }
        std::vector<std::uint8_t> length;
        u32(length, b.size() - start);
        std::copy(length.begin(), length.end(), b.begin() + static_cast<std::ptrdiff_t>(start + 2));
    }

    std::vector<Record> records_;
};
