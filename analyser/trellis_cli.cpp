#include "trellis_cli.h"

#include <ostream>

#include "cp1252.h"
#include "file_access.h"
#include "json_text.h"
#include "qs_version.h"
#include "scene_scan.h"
#include "script_tree.h"

namespace {

constexpr const char* Usage = "usage: trellis [scan --json | tree --json | tree --dot] SCENE";

// A Windows-1252 text as a Graphviz label (a quoted string) that shows the
// text as it is: control bytes as their control pictures (U+2400 + byte, U+2421
// for DEL), so none reaches the drawing raw and a CR does not vanish; the
// ampersand as "&amp;", so "&#65;" is not drawn as "A"; quotes and
// backslashes escaped.
std::string dotLabel(const std::string& bytes) {
    std::string out = "\"";
    for (const char c : cp1252ToUtf8(bytes)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            appendUtf8(out, u == 0x7F ? 0x2421 : 0x2400 + u);
        } else if (c == '&') {
            out += "&amp;";
        } else {
            if (c == '"' || c == '\\')
                out += '\\';
            out += c;
        }
    }
    return out + "\"";
}

void printScan(std::ostream& out, SceneBytes bytes, const std::vector<ScanEntry>& entries) {
    out << "{\"entries\": [";
    ScriptFinder scripts(bytes);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ScanEntry& e = entries[i];
        const auto span = e.ticked ? scripts.locate(e.entryPos) : std::nullopt;
        out << (i ? ",\n  " : "\n  ") << "{\"index\": " << i << ", \"name\": " << jsonText(e.name)
            << ", \"ticked\": " << (e.ticked ? "true" : "false")
            << ", \"entry_pos\": " << e.entryPos << ", \"script_start\": ";
        if (span)
            out << span->offset() << ", \"script_length\": " << span->length << '}';
        else
            out << "null, \"script_length\": null}";
    }
    out << (entries.empty() ? "]}\n" : "\n]}\n");
}

void printTreeJson(std::ostream& out, const TreeBuild& tree) {
    out << "{\"nodes\": [";
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        const TreeNode& top = tree.nodes[i];
        out << (i ? ",\n  " : "\n  ") << "{\"text\": " << jsonText(top.text) << ", \"children\": [";
        for (std::size_t j = 0; j < top.children.size(); ++j) {
            const TreeNode& child = top.children[j];
            out << (j ? ",\n    " : "\n    ") << "{\"text\": " << jsonText(child.text)
                << ", \"children\": [";
            for (std::size_t k = 0; k < child.children.size(); ++k)
                out << (k ? ", " : "") << "{\"text\": " << jsonText(child.children[k].text) << '}';
            out << "]}";
        }
        out << (top.children.empty() ? "]}" : "\n  ]}");
    }
    out << (tree.nodes.empty() ? "]" : "\n]") << ", \"messages\": [";
    for (std::size_t i = 0; i < tree.messages.size(); ++i)
        out << (i ? ", " : "") << jsonText(tree.messages[i]);
    out << "]}\n";
}

class DotWriter {
public:
    explicit DotWriter(std::ostream& out) : out_(out) {}
    void write(const TreeBuild& tree) {
        out_ << "digraph trellis {\n  node [shape=box];\n";
        for (const TreeNode& top : tree.nodes)
            node(top, -1);
        out_ << "}\n";
    }

private:
    void node(const TreeNode& n, int parent) {
        const int id = next_++;
        out_ << "  n" << id << " [label=" << dotLabel(n.text) << "];\n";
        if (parent >= 0)
            out_ << "  n" << parent << " -> n" << id << ";\n";
        for (const TreeNode& child : n.children)
            node(child, id);
    }
    std::ostream& out_;
    int next_ = 0;
};

} // namespace

int runTrellisCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << Usage << '\n';
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "Trellis " << QsVersion << '\n';
        return 0;
    }
    if (args.size() != 3 || !((args[0] == "scan" && args[1] == "--json") ||
                              (args[0] == "tree" && (args[1] == "--json" || args[1] == "--dot")))) {
        err << Usage << '\n';
        return 2;
    }
    const std::string& path = args[2];
    std::vector<std::uint8_t> file;
    if (FileResult read = readWholeFile(path, file); !read) {
        err << "trellis: " << path << ": " << read.error << '\n';
        return 2;
    }
    const SceneBytes bytes(file.data(), file.size());
    const std::vector<ScanEntry> entries = scanScene(bytes);
    if (args[0] == "scan") {
        printScan(out, bytes, entries);
        return 0;
    }
    // "build tree" runs only when the list has entries.
    const TreeBuild tree = entries.empty() ? TreeBuild{} : buildScriptTree(bytes, entries);
    if (args[1] == "--json")
        printTreeJson(out, tree);
    else
        DotWriter(out).write(tree);
    return 0;
}
