#include "cp1252.h"
#include "index_json.h"

std::string indexToText(const SceneIndex& index) {
    std::string out;
    out.reserve(index.entries.size() * 40);
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        const IndexRecord& r = index.entries[i];
        out += std::to_string(i);
        out += r.ticked ? "\t[x]\t" : "\t[ ]\t";
        out += std::to_string(r.kind);
        out += '\t';
        out += cp1252ToUtf8(r.name);
        out += '\n';
    }
    return out;
}
