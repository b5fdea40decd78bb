#include "script_tree.h"

#include <algorithm>

#include "text_search.h"

namespace {

std::string actorOf(const std::string& childText) {
    return childText.substr(0, childText.size() - std::min(childText.size(), MarkerLength));
}

class TreeBuilder {
public:
    TreeBuilder(SceneBytes bytes, const TreeProgress& progress, ScanCost* cost)
        : bytes_(bytes), progress_(progress), scripts_(bytes, cost) {}

    TreeBuild build(const std::vector<ScanEntry>& entries) {
        report(1);
        if (!takeParents(entries)) {
            out_.messages.emplace_back(ParentOverflowMessage);
            report(0);
            return std::move(out_);
        }
        readAllChildren();
        crossLink();
        dropLeaves();
        markStartEnd();
        makeNodes();
        report(0);
        return std::move(out_);
    }

private:
    std::size_t visited() const { return std::min(table_.size(), ParentsVisited); }
    static std::size_t childrenVisited(const TreeParent& parent) {
        return std::min(parent.child.size(), ChildrenVisited);
    }

    void report(int value) {
        if (progress_)
            progress_(value);
    }

    // Each pass over the table asks in file order, as the finder wants.
    std::string script(const TreeParent& parent) {
        return scriptBytes(bytes_, scripts_.locate(parent.pos));
    }

    bool takeParents(const std::vector<ScanEntry>& entries) {
        for (const ScanEntry& entry : entries) {
            if (!entry.ticked)
                continue;
            if (table_.size() == ParentSlots)
                return false;
            TreeParent parent;
            parent.name = entry.name;
            parent.pos = entry.entryPos;
            table_.push_back(std::move(parent));
        }
        return true;
    }

    void readAllChildren() {
        for (std::size_t i = 0; i < visited(); ++i) {
            TreeParent& parent = table_[i];
            if (!parent.name.empty()) {
                const std::string text = script(parent);
                if (!text.empty()) {
                    ScriptChildren read = readChildren(text);
                    for (std::string& child : read.children)
                        parent.child.push_back(TreeChild{std::move(child), {}});
                    parent.hasChildren = !read.children.empty();
                    if (read.overflow)
                        out_.messages.emplace_back(ChildOverflowMessage);
                }
            }
            report(1 + static_cast<int>(80 * (i + 1) / ParentsVisited));
        }
    }

    // A script reached from a second place gets a running number, shown on
    // every top-level node of that name and on the sub-entry that reaches it.
    void crossLink() {
        std::int64_t linkNo = 1;
        for (std::size_t i = 0; i < visited(); ++i) {
            if (table_[i].name.empty())
                continue;
            for (std::size_t j = 0; j < childrenVisited(table_[i]); ++j) {
                const std::string actor = actorOf(table_[i].child[j].name);
                for (std::size_t i2 = 0; i2 < visited(); ++i2) {
                    if (table_[i2].name != actor)
                        continue;
                    std::size_t m = 0;
                    for (std::size_t k = 0; k < childrenVisited(table_[i2]); ++k) {
                        if (m == SubSlots)
                            break;
                        std::string& sub = table_[i].child[j].sub[m];
                        sub = table_[i2].child[k].name;
                        linkTo(actorOf(sub), table_[i2].name, sub, linkNo);
                        ++m;
                    }
                }
            }
        }
    }

    void linkTo(const std::string& g, const std::string& reachedFrom, std::string& sub,
                std::int64_t& linkNo) {
        const auto n = std::find_if(table_.begin(), table_.end(),
                                    [&g](const TreeParent& p) { return p.name == g; });
        if (n == table_.end())
            return;
        if (!n->hasChildren) {
            n->name.clear();
            return;
        }
        if (reachedFrom.find("---->") != std::string::npos)
            return;
        const std::string prefix = "----" + numberText(linkNo) + "----> ";
        for (std::size_t p = 0; p < visited(); ++p)
            if (table_[p].name == g)
                table_[p].name = prefix + table_[p].name;
        sub += " --" + numberText(linkNo) + "-->";
        ++linkNo;
    }

    // An actor with a script but no children of its own is shown only under
    // the scripts that switch it.
    void dropLeaves() {
        for (std::size_t i = 0; i < visited(); ++i) {
            for (std::size_t j = 0; j < childrenVisited(table_[i]); ++j) {
                const std::string actor = actorOf(table_[i].child[j].name);
                for (std::size_t n = 0; n < visited(); ++n)
                    if (table_[n].name == actor && !table_[n].hasChildren)
                        table_[n].name.clear();
            }
        }
        report(85);
    }

    void markStartEnd() {
        for (std::size_t i = 0; i < visited(); ++i) {
            TreeParent& parent = table_[i];
            if (!parent.name.empty() &&
                textsearch::containsNoCase(script(parent), "mission_objectives"))
                parent.name = StartEndMark + parent.name;
        }
        report(95);
    }

    void makeNodes() {
        for (std::size_t i = 0; i < visited(); ++i) {
            const TreeParent& parent = table_[i];
            if (parent.name.empty())
                continue;
            TreeNode top{parent.name, parent.name + numberText(static_cast<std::int64_t>(i)), {}};
            for (std::size_t j = 0; j < childrenVisited(parent); ++j) {
                const TreeChild& child = parent.child[j];
                TreeNode node{child.name,
                              child.name + numberText(static_cast<std::int64_t>(i)) +
                                  numberText(static_cast<std::int64_t>(j)),
                              {}};
                for (std::size_t k = 0; k < SubsShown; ++k)
                    if (!child.sub[k].empty())
                        node.children.push_back({child.sub[k], {}, {}});
                top.children.push_back(std::move(node));
            }
            out_.nodes.push_back(std::move(top));
        }
    }

    SceneBytes bytes_;
    const TreeProgress& progress_;
    ScriptFinder scripts_;
    std::vector<TreeParent> table_;
    TreeBuild out_;
};

} // namespace

std::string numberText(std::int64_t n) {
    std::string text = n < 0 ? std::string() : std::string(1, ' ');
    text += std::to_string(n);
    return text;
}

std::string nodeEntryName(const std::string& nodeText) {
    std::string name = nodeText;
    const std::string startEnd = StartEndMark;
    if (name.rfind(startEnd, 0) == 0)
        name.erase(0, startEnd.size());
    // A link number: "----" N "----> " before the name.
    if (name.rfind("----", 0) == 0) {
        const std::size_t arrow = name.find("----> ");
        if (arrow != std::string::npos)
            name.erase(0, arrow + 6);
    }
    for (const char* marker : {MarkerActive, MarkerInactive, MarkerUnknown}) {
        const std::size_t at = name.find(marker);
        if (at != std::string::npos)
            name.erase(at);
    }
    // A back link: " --" N "-->" at the end.
    const std::size_t back = name.rfind(" --");
    if (back != std::string::npos && name.size() >= 3 &&
        name.compare(name.size() - 3, 3, "-->") == 0)
        name.erase(back);
    return name;
}

TreeBuild buildScriptTree(SceneBytes bytes, const std::vector<ScanEntry>& entries,
                          const TreeProgress& progress, ScanCost* cost) {
    return TreeBuilder(bytes, progress, cost).build(entries);
}
