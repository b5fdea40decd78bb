#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scene_scan.h"

// The script reference tree: which scripts switch which actors on and off.
// All texts are Windows-1252 bytes.

inline constexpr std::size_t ParentSlots = 201;    // scriptTable, 0 to 200
inline constexpr std::size_t ParentsVisited = 200; // the passes visit 0 to 199
inline constexpr std::size_t ChildSlots = 51;      // per parent, 0 to 50
inline constexpr std::size_t ChildrenVisited = 50; // the passes visit 0 to 49
inline constexpr std::size_t SubSlots = 11;        // per child, 0 to 10
inline constexpr std::size_t SubsShown = 10;       // the tree shows 0 to 9
inline constexpr std::size_t MaxSetstateLines = 501;
inline constexpr std::size_t MarkerLength = 11;

inline constexpr const char* MarkerActive = "   -active-";
inline constexpr const char* MarkerInactive = "   -inact- ";
inline constexpr const char* MarkerUnknown = "   ---\?\?\?--"; // escaped: no trigraph

inline constexpr const char* ParentOverflowMessage =
    "****** Index overflow (P) ****** Tree not complete! ******";
inline constexpr const char* ChildOverflowMessage =
    "****** Index overflow (CH1) ****** Tree not complete! ******";
inline constexpr const char* StartEndMark = "Start/End: |-->  ";

struct TreeChild {
    std::string name; // actor name + state marker
    std::array<std::string, SubSlots> sub;
};

struct TreeParent {
    std::string name;
    std::int64_t pos = 0;
    bool hasChildren = false;
    std::vector<TreeChild> child; // recorded children, at most ChildSlots
};

struct TreeNode {
    std::string text;
    std::string key; // empty for the third level
    std::vector<TreeNode> children;
};

struct TreeBuild {
    std::vector<TreeNode> nodes;       // top level, in order
    std::vector<std::string> messages; // message boxes, in order
};

// Called with a value from 0 to TreeProgressMax as the build goes on.
using TreeProgress = std::function<void(int value)>;
inline constexpr int TreeProgressMax = 100;

// One child per counted act_setstate line of a script, in order, with
// consecutive repeats dropped; `overflow` is set when a 52nd was met.
struct ScriptChildren {
    std::vector<std::string> children;
    bool overflow = false;
};
ScriptChildren readChildren(const std::string& script);

// Builds the tree of the ticked entries of `entries`, reading their scripts
// from `bytes`.
TreeBuild buildScriptTree(SceneBytes bytes, const std::vector<ScanEntry>& entries,
                          const TreeProgress& progress = {}, ScanCost* cost = nullptr);

// The entry a tree node's text names: the text without its link number
// ("---- 1----> "), its start/end mark, its state marker and its back link
// (" -- 1-->").
std::string nodeEntryName(const std::string& nodeText);

// Str() of the language the tree's texts come from: one leading blank for a
// number that is not negative.
std::string numberText(std::int64_t n);
