#include "scene_verify.h"

#include "chunk_ids.h"
#include "chunk_tree.h"
#include "scene_index.h"
#include "script_locate.h"
#include "script_text.h"

namespace {
// Checks that every position the index reads from is the chunk the layout
// puts there, in its place in the tree.
class IndexAgreement {
public:
    IndexAgreement(const ChunkTree& t, const ProblemSink& out) : t_(t), out_(out) {}

    void run(const SceneIndex& index) {
        objects_ = section(index.modelLenPos, chunk::Objects, "objects");
        definitions_ = section(index.gesamtLaengeScriptPos, chunk::Definitions, "definitions");
        inits_ = section(index.initSectionLengthPos, chunk::InitScripts, "init-script");
        for (std::size_t i = 0; i < index.entries.size(); ++i) {
            if (isInitScriptEntry(index, i))
                initEntry(index.entries[i]);
            else
                objectEntry(index.entries[i]);
        }
    }

private:
    void problem(std::uint64_t at, const IndexRecord& e, const std::string& what,
                 std::optional<std::uint64_t> record) {
        out_(TreeProblem{at,
                         "the index reads " + what + " of entry \"" + e.name + "\" at " +
                             std::to_string(at) + ", where no such chunk lies in its place",
                         record});
    }

    int section(const std::optional<std::uint32_t>& lengthPos, std::uint16_t id, const char* what) {
        if (!lengthPos)
            return -1;
        const std::uint64_t pos = *lengthPos - 2u;
        const int n = t_.childAt(pos, id, 0);
        if (n < 0)
            out_(TreeProblem{pos,
                             std::string("the index reads the ") + what + " section at " +
                                 std::to_string(pos) + ", which is not a " + hexId(id) +
                                 " chunk at the top level of the file",
                             std::nullopt});
        return n;
    }

    const TreeNode& node(int n) const { return t_.nodes()[static_cast<std::size_t>(n)]; }

    // The definition record whose data chunk (0xAE24, a leaf of the tree)
    // holds [pos, pos + width), or -1. With two definitions of one name the
    // index takes values from one and the script from another, so any
    // definition record of the section will do.
    int dataHolder(std::uint64_t pos, std::uint64_t width) const {
        const int at = t_.atOrBefore(pos);
        if (at < 0)
            return -1;
        const TreeNode& leaf = node(at);
        if (leaf.id != chunk::DefinitionData || pos < leaf.pos + chunk::HeaderSize ||
            pos + width > leaf.end() || leaf.parent < 0 || definitions_ < 0 ||
            node(leaf.parent).parent != definitions_)
            return -1;
        return leaf.parent;
    }

    void objectEntry(const IndexRecord& e) {
        if (!e.recordPos)
            return;
        const std::uint64_t r = *e.recordPos;
        const int rec = objects_ < 0 ? -1 : t_.childAt(r, chunk::ObjectRecord, objects_);
        if (rec < 0)
            return problem(r, e, "the object record", r);
        if (e.namePos && t_.childOf(rec, *e.namePos, chunk::Name) < 0)
            problem(*e.namePos, e, "the name", r);
        if (e.translationPos) {
            const std::uint64_t tp = *e.translationPos - chunk::HeaderSize;
            const int tr = t_.childOf(rec, tp, chunk::Translation);
            const int ro = t_.childOf(rec, tp + placement::Rotation, chunk::Rotation);
            const int sz = t_.childOf(rec, tp + placement::Size, chunk::Size);
            if (tr < 0 || node(tr).length != 18)
                problem(tp, e, "the translation", r);
            else if (ro < 0 || node(ro).length != 22)
                problem(tp + placement::Rotation, e, "the rotation", r);
            else if (sz < 0 || node(sz).length != 18)
                problem(tp + placement::Size, e, "the size", r);
        }
        lightValue(e, rec, e.colourPos, chunk::LightColour, 18, "the light colour");
        lightValue(e, rec, e.brightnessPos, chunk::LightBrightness, 10, "the brightness");
        if (!e.definitionPos)
            return;
        const std::uint64_t d = *e.definitionPos;
        const int def =
            definitions_ < 0 ? -1 : t_.childAt(d, chunk::DefinitionRecord, definitions_);
        if (def < 0)
            return problem(d, e, "the definition record", d);
        if (e.dataChunkPos) {
            const int data = t_.at(*e.dataChunkPos);
            if (data < 0 || node(data).id != chunk::DefinitionData ||
                dataHolder(*e.dataChunkPos + chunk::HeaderSize, 0) < 0)
                problem(*e.dataChunkPos, e, "the script's data chunk", d);
            else if (e.scriptPos && (*e.scriptPos < node(data).pos + chunk::HeaderSize ||
                                     *e.scriptPos + 4u > node(data).end()))
                problem(*e.scriptPos, e, "the script", d);
        }
        const std::pair<const std::optional<std::uint32_t>*, std::uint64_t> values[] = {
            {&e.weightPos, 4}, {&e.soundPos, 1}, {&e.behaviourPos, 5}, {&e.aggressionPos, 4}};
        for (const auto& [pos, width] : values) {
            if (*pos && dataHolder(**pos, width) < 0)
                problem(**pos, e, "a value", d);
        }
    }

    void lightValue(const IndexRecord& e, int rec, const std::optional<std::uint32_t>& pos,
                    std::uint16_t id, std::uint32_t length, const char* what) {
        if (!pos)
            return;
        const std::uint64_t c = *pos - chunk::HeaderSize;
        const int n = t_.at(c);
        const bool placed = n >= 0 && node(n).id == id && node(n).length == length &&
                            node(n).parent >= 0 && node(node(n).parent).id == chunk::LightBlock &&
                            node(node(n).parent).parent == rec;
        if (!placed)
            problem(c, e, what, *e.recordPos);
    }

    void initEntry(const IndexRecord& e) {
        if (!e.definitionPos)
            return;
        const std::uint64_t r = *e.definitionPos;
        const int rec = inits_ < 0 ? -1 : t_.childAt(r, chunk::InitScriptRecord, inits_);
        if (rec < 0)
            return problem(r, e, "the init-script record", r);
        if (e.scriptPos && (*e.scriptPos < r + 8 || *e.scriptPos >= node(rec).end()))
            problem(*e.scriptPos, e, "the init script", r);
    }

    const ChunkTree& t_;
    const ProblemSink& out_;
    int objects_ = -1, definitions_ = -1, inits_ = -1;
};
} // namespace

namespace {
VerifyReport verify(ByteView file, const SceneIndex* index,
                    const std::vector<KnownLayoutException>& exceptions) {
    VerifyReport report;
    // Each problem is told apart as it is found; past the listed number only
    // the count grows, so a file of a million broken records costs no more.
    const ProblemSink sink = [&](TreeProblem&& p) {
        const KnownLayoutException* excuse = nullptr;
        if (p.record) {
            const auto id = file.u16(*p.record);
            for (const auto& e : exceptions) {
                if (id && e.matches && e.matches(file, *p.record, *id)) {
                    excuse = &e;
                    break;
                }
            }
        }
        if (excuse && report.excused.size() < VerifyReport::kListed)
            report.excused.push_back({{p.offset, std::move(p.what)}, excuse->name, excuse->reason});
        else if (excuse)
            ++report.moreExcused;
        else if (report.problems.size() < VerifyReport::kListed)
            report.problems.push_back({p.offset, std::move(p.what)});
        else
            ++report.moreProblems;
    };
    const ChunkTree tree(file, sink);
    if (file.size() >= chunk::HeaderSize) {
        if (index) {
            IndexAgreement(tree, sink).run(*index);
        } else {
            const SceneIndex own = buildSceneIndex(file);
            IndexAgreement(tree, sink).run(own);
        }
    }
    report.objects = tree.objects;
    report.definitions = tree.definitions;
    report.initScripts = tree.initScripts;
    report.scripts = tree.scripts;
    return report;
}
} // namespace

VerifyReport verifyScene(ByteView file) {
    return verify(file, nullptr, knownLayoutExceptions());
}

VerifyReport verifyScene(ByteView file, const std::vector<KnownLayoutException>& exceptions) {
    return verify(file, nullptr, exceptions);
}

VerifyReport verifyScene(ByteView file, const SceneIndex& index) {
    return verify(file, &index, knownLayoutExceptions());
}
