#include "scene_verify.h"

#include <cstdio>

#include "chunk_ids.h"
#include "script_locate.h"

namespace {
struct Child {
    std::size_t pos;
    std::uint16_t id;
    std::uint32_t length;
};

std::string hexId(std::uint16_t id) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", id);
    return buf;
}

class Verifier {
public:
    explicit Verifier(ByteView f) : f_(f) {}

    VerifyReport run() {
        if (f_.size() < chunk::HeaderSize) {
            problem(0, "the file is shorter than a chunk header");
            return std::move(report_);
        }
        const std::uint32_t headerLen = *f_.u32(2);
        if (headerLen != f_.size())
            problem(2, "header length " + std::to_string(headerLen) + " but the file has " +
                           std::to_string(f_.size()) + " bytes");
        for (const Child& c : children(0, f_.size(), 0)) {
            if (c.id == chunk::Objects)
                objects(c);
            else if (c.id == chunk::Definitions)
                definitions(c);
            else if (c.id == chunk::InitScripts)
                initScripts(c);
        }
        return std::move(report_);
    }

private:
    void problem(std::uint64_t at, std::string what) {
        report_.problems.push_back({at, std::move(what)});
    }

    // The children of the chunk at `pos` (whose end is `end`), which must tile its payload.
    std::vector<Child> children(std::size_t pos, std::uint64_t end, std::uint16_t parentId) {
        std::vector<Child> out;
        std::size_t c = pos + chunk::HeaderSize;
        while (c < end) {
            auto id = f_.u16(c);
            auto len = f_.u32(c + 2);
            if (!id || !len) {
                problem(c, "chunk header cut off by the end of the file");
                return out;
            }
            if (*len < chunk::HeaderSize || c + static_cast<std::uint64_t>(*len) > end) {
                problem(c, "chunk " + hexId(*id) + " of length " + std::to_string(*len) +
                               " does not fit in its parent " + hexId(parentId) + " at " +
                               std::to_string(pos));
                return out;
            }
            out.push_back({c, *id, *len});
            c += *len;
        }
        return out;
    }

    void objects(const Child& section) {
        for (const Child& rec : children(section.pos, section.pos + section.length, section.id)) {
            if (rec.id != chunk::ObjectRecord)
                continue;
            ++report_.objects;
            for (const Child& c : children(rec.pos, rec.pos + rec.length, rec.id)) {
                if (c.id == chunk::LightBlock)
                    children(c.pos, c.pos + c.length, c.id);
            }
        }
    }

    void definitions(const Child& section) {
        for (const Child& rec : children(section.pos, section.pos + section.length, section.id)) {
            if (rec.id != chunk::DefinitionRecord)
                continue;
            ++report_.definitions;
            for (const Child& c : children(rec.pos, rec.pos + rec.length, rec.id)) {
                if (c.id == chunk::DefinitionData)
                    script(c);
            }
        }
    }

    void script(const Child& data) {
        const std::uint64_t end = data.pos + static_cast<std::uint64_t>(data.length);
        const auto s = findObjectScript(f_, data.pos, end);
        if (!s)
            return;
        ++report_.scripts;
        const std::uint64_t textEnd = *s + 4 + static_cast<std::uint64_t>(*f_.u32(*s));
        if (textEnd != end)
            problem(*s, "script length field says the text ends at " + std::to_string(textEnd) +
                            " but its data chunk ends at " + std::to_string(end));
    }

    void initScripts(const Child& section) {
        for (const Child& rec : children(section.pos, section.pos + section.length, section.id)) {
            if (rec.id == chunk::InitScriptRecord)
                ++report_.initScripts;
        }
    }

    ByteView f_;
    VerifyReport report_;
};
} // namespace

VerifyReport verifyScene(ByteView file) {
    return Verifier(file).run();
}
