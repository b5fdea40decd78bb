#include <gtest/gtest.h>

#include "analyser_scene.h"
#include "script_tree.h"

namespace {

std::string lines(std::initializer_list<std::string> l) {
    std::string s;
    for (const auto& one : l)
        s += one + "\r\n";
    return s;
}

std::string find(int variable, const std::string& actor) {
    return "findactor " + std::to_string(variable) + ", \"" + actor + "\"";
}
std::string set(int variable, const std::string& state) {
    return "act_setstate " + std::to_string(variable) + ", " + state;
}

TreeBuild treeOf(const AnalyserScene& scene) {
    const auto built = scene.build();
    const SceneBytes bytes(built.bytes.data(), built.bytes.size());
    return buildScriptTree(bytes, scanScene(bytes));
}

std::vector<std::string> texts(const std::vector<TreeNode>& nodes) {
    std::vector<std::string> out;
    for (const auto& n : nodes)
        out.push_back(n.text);
    return out;
}

using Texts = std::vector<std::string>;

TEST(TreeRules, SetstateLinesGiveChildrenWithTheirStateMarker) {
    const auto tree = treeOf(AnalyserScene().object(
        "boss", lines({find(1, "Zuvav"), find(2, "Sam"), find(3, "Joe"), find(4, "Ann"),
                       find(5, "Bob"), "label 1", set(1, "active"), set(2, "inactive"), set(3, "1"),
                       set(4, "ACTIVE"), set(5, "i"), set(1, "a")})));
    ASSERT_EQ(tree.nodes.size(), 1u);
    EXPECT_EQ(tree.nodes[0].text, "boss");
    EXPECT_EQ(tree.nodes[0].key, "boss 0");
    EXPECT_EQ(texts(tree.nodes[0].children),
              (Texts{"Zuvav   -active-", "Sam   -inact- ", "Joe   ---\?\?\?--", "Ann   -active-",
                     "Bob   -inact- ", "Zuvav   -active-"}));
    EXPECT_EQ(tree.nodes[0].children[1].key, "Sam   -inact-  0 1");
    EXPECT_TRUE(tree.messages.empty());
}

TEST(TreeRules, StatesWithAnOAreSkipped) {
    const auto tree = treeOf(AnalyserScene().object(
        "boss", lines({find(1, "Sam"), set(1, "on"), set(1, "Off"), set(1, "toggle")})));
    ASSERT_EQ(tree.nodes.size(), 1u);
    EXPECT_TRUE(tree.nodes[0].children.empty());
}

TEST(TreeRules, OnlyConsecutiveRepeatsAreDropped) {
    const auto tree =
        treeOf(AnalyserScene()
                   .object("a", lines({find(1, "Sam"), set(1, "active"), set(1, "active")}))
                   .object("b", lines({find(1, "Sam"), find(2, "Joe"), set(1, "active"),
                                       set(2, "active"), set(1, "active")})));
    ASSERT_EQ(tree.nodes.size(), 2u);
    EXPECT_EQ(texts(tree.nodes[0].children), (Texts{"Sam   -active-"}));
    EXPECT_EQ(texts(tree.nodes[1].children),
              (Texts{"Sam   -active-", "Joe   -active-", "Sam   -active-"}));
}

TEST(TreeRules, FindactorIsAPlainTextSearch) {
    // The variable 1 matches the earlier findactor line of the variable 12.
    const auto tree = treeOf(AnalyserScene().object(
        "boss", lines({find(12, "Twelve"), find(1, "One"), "FINDACTOR 3, \"Three\"",
                       set(1, "active"), set(3, "active"), set(7, "active")})));
    ASSERT_EQ(tree.nodes.size(), 1u);
    EXPECT_EQ(texts(tree.nodes[0].children), (Texts{"Twelve   -active-", "Three   -active-"}));
}

TEST(TreeRules, ScriptWithoutChildrenNamedLikeAChildIsAbsentFromTheTopLevel) {
    const auto tree = treeOf(AnalyserScene()
                                 .object("boss", lines({find(1, "Sam"), set(1, "active")}))
                                 .object("Sam", lines({"wait 100", "end"})));
    EXPECT_EQ(texts(tree.nodes), (Texts{"boss"}));
}

TEST(TreeRules, MissionObjectivesMarkStartAndEnd) {
    const auto tree = treeOf(AnalyserScene()
                                 .object("plain", lines({"wait 1"}))
                                 .init("GameInit", lines({"Mission_Objectives 3", "end"})));
    EXPECT_EQ(texts(tree.nodes), (Texts{"plain", "Start/End: |-->  GameInit"}));
}

TEST(TreeRules, ScriptsReachedFromTwoPlacesAreNumberedCrossLinks) {
    // boss switches Sam; Sam's own script switches Ann (no script of her
    // own: nothing to clear or link, and the number does not move) and Joe,
    // whose script has children: Joe gets the number 1.
    const auto tree =
        treeOf(AnalyserScene()
                   .object("boss", lines({find(1, "Sam"), set(1, "active")}))
                   .object("Sam", lines({find(1, "Ann"), find(2, "Joe"), set(1, "a"), set(2, "i")}))
                   .object("Joe", lines({find(1, "Bob"), set(1, "active")})));
    ASSERT_EQ(texts(tree.nodes), (Texts{"boss", "Sam", "---- 1----> Joe"}));
    ASSERT_EQ(tree.nodes[0].children.size(), 1u);
    EXPECT_EQ(texts(tree.nodes[0].children[0].children),
              (Texts{"Ann   -active-", "Joe   -inact-  -- 1-->"}));
    // Once renamed, Joe no longer matches the child "Joe" of Sam: no sub-entries there.
    EXPECT_EQ(texts(tree.nodes[1].children), (Texts{"Ann   -active-", "Joe   -inact- "}));
    EXPECT_TRUE(tree.nodes[1].children[1].children.empty());
    EXPECT_EQ(texts(tree.nodes[2].children), (Texts{"Bob   -active-"}));
}

TEST(TreeRules, EachLinkTakesTheNextNumberAndANumberedScriptNumbersNothing) {
    // boss switches Joe and Sam. Joe switches itself, so it is numbered while
    // its own children are copied under boss: Bob, reached from the now
    // numbered Joe, gets no number. Carl, reached through Sam, gets the next.
    const auto tree = treeOf(
        AnalyserScene()
            .object("boss",
                    lines({find(1, "Joe"), find(2, "Sam"), set(1, "active"), set(2, "active")}))
            .object("hidden", "", untickedScript(lines({find(1, "Joe"), set(1, "active")})))
            .object("Joe",
                    lines({find(1, "Joe"), find(2, "Bob"), set(1, "active"), set(2, "inactive")}))
            .object("Bob", lines({find(1, "Zed"), set(1, "active")}))
            .object("Sam", lines({find(1, "Carl"), set(1, "active")}))
            .object("Carl", lines({find(1, "Zed"), set(1, "inactive")})));
    ASSERT_EQ(texts(tree.nodes),
              (Texts{"boss", "---- 1----> Joe", "Bob", "Sam", "---- 2----> Carl"}))
        << "the unticked entry takes no slot";
    EXPECT_EQ(tree.nodes[4].key, "---- 2----> Carl 4");
    const TreeNode& boss = tree.nodes[0];
    ASSERT_EQ(texts(boss.children), (Texts{"Joe   -active-", "Sam   -active-"}));
    EXPECT_EQ(texts(boss.children[0].children),
              (Texts{"Joe   -active- -- 1-->", "Bob   -inact- "}));
    EXPECT_EQ(texts(boss.children[1].children), (Texts{"Carl   -active- -- 2-->"}));
    ASSERT_EQ(texts(tree.nodes[1].children), (Texts{"Joe   -active-", "Bob   -inact- "}));
    EXPECT_EQ(texts(tree.nodes[1].children[1].children), (Texts{"Zed   -active-"}));
    EXPECT_EQ(texts(tree.nodes[4].children), (Texts{"Zed   -inact- "}));
}

TEST(TreeRules, AClearedScriptGivesWayToTheNextOfTheSameName) {
    // Sam reaches Leaf twice: the first Leaf (no children) is cleared, so the
    // second reach finds the second Leaf, which has children, and numbers it.
    const auto tree =
        treeOf(AnalyserScene()
                   .object("boss", lines({find(1, "Sam"), set(1, "active")}))
                   .object("Sam", lines({find(1, "Leaf"), set(1, "active"), set(1, "inactive")}))
                   .object("Leaf", lines({"wait 1"}))
                   .object("Leaf", lines({find(1, "Zed"), set(1, "active")})));
    ASSERT_EQ(texts(tree.nodes), (Texts{"boss", "Sam", "---- 1----> Leaf"}));
    EXPECT_EQ(texts(tree.nodes[0].children[0].children),
              (Texts{"Leaf   -active-", "Leaf   -inact-  -- 1-->"}));
}

TEST(TreeRules, ChildScriptsWithoutChildrenAreClearedWhenReachedThroughALink) {
    // boss -> Sam -> Leaf, where Leaf has a script without children: Leaf
    // leaves the top level.
    const auto tree = treeOf(AnalyserScene()
                                 .object("boss", lines({find(1, "Sam"), set(1, "active")}))
                                 .object("Sam", lines({find(1, "Leaf"), set(1, "active")}))
                                 .object("Leaf", lines({"wait 1"})));
    EXPECT_EQ(texts(tree.nodes), (Texts{"boss", "Sam"}));
    EXPECT_EQ(texts(tree.nodes[0].children[0].children), (Texts{"Leaf   -active-"}));
}

TEST(TreeRules, TooManyTickedEntriesLeaveTheTreeEmpty) {
    AnalyserScene full, over;
    for (int i = 0; i < 202; ++i) {
        const std::string name = "s" + std::to_string(i);
        if (i < 201)
            full.object(name, lines({"wait 1"}));
        over.object(name, lines({"wait 1"}));
    }
    const auto ok = treeOf(full);
    EXPECT_TRUE(ok.messages.empty());
    ASSERT_EQ(ok.nodes.size(), 200u); // slot 200 is kept but never shown
    EXPECT_EQ(ok.nodes.back().text, "s199");
    EXPECT_EQ(ok.nodes.back().key, "s199 199");

    const auto failed = treeOf(over);
    EXPECT_TRUE(failed.nodes.empty());
    EXPECT_EQ(failed.messages, (Texts{ParentOverflowMessage}));
}

TEST(TreeRules, TooManyChildrenKeepTheFirstFiftyOne) {
    std::string script;
    for (int i = 0; i < 53; ++i)
        script += find(i, "a" + std::to_string(i)) + "\r\n";
    for (int i = 0; i < 53; ++i)
        script += set(i, "active") + "\r\n";
    const auto children = readChildren(script);
    EXPECT_TRUE(children.overflow);
    ASSERT_EQ(children.children.size(), ChildSlots);
    EXPECT_EQ(children.children.back(), "a50   -active-");

    const auto tree = treeOf(AnalyserScene().object("boss", script).object("b2", script));
    EXPECT_EQ(tree.messages, (Texts{ChildOverflowMessage, ChildOverflowMessage}));
    ASSERT_EQ(tree.nodes.size(), 2u);
    EXPECT_EQ(tree.nodes[0].children.size(), ChildrenVisited);
}

TEST(TreeRules, SubEntriesStopAtTheirSlots) {
    // Sam has 15 children; under boss at most 10 of them are shown.
    std::vector<std::string> samLines;
    for (int i = 0; i < 15; ++i)
        samLines.push_back(find(i, "x" + std::to_string(i)));
    for (int i = 0; i < 15; ++i)
        samLines.push_back(set(i, "active"));
    std::string sam;
    for (const auto& l : samLines)
        sam += l + "\r\n";
    const auto tree = treeOf(AnalyserScene()
                                 .object("boss", lines({find(1, "Sam"), set(1, "active")}))
                                 .object("Sam", sam));
    ASSERT_FALSE(tree.nodes.empty());
    EXPECT_EQ(tree.nodes[0].children[0].children.size(), SubsShown);
}

TEST(TreeRules, MalformedLinesAreSkippedNotFatal) {
    const auto tree = treeOf(AnalyserScene().object(
        "boss", lines({"findactor 1, \"unclosed", "act_setstate 1, active", "act_setstate 2"})));
    ASSERT_EQ(tree.nodes.size(), 1u);
    EXPECT_TRUE(tree.nodes[0].children.empty());
    EXPECT_TRUE(readChildren("act_setstate").children.empty());
    EXPECT_TRUE(readChildren("act_setstate 1,").children.empty());
}

TEST(TreeRules, NumberTextHasALeadingBlankForNonNegativeNumbers) {
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(12), " 12");
    EXPECT_EQ(numberText(-3), "-3");
}

} // namespace

TEST(TreeRules, NodeTextsGiveTheNamesOfTheirEntries) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"boss", "boss"},
        {"---- 1----> Joe", "Joe"},
        {"-----3----> Joe", "Joe"},
        {"Start/End: |-->  GameInit", "GameInit"},
        {"Sam   -active-", "Sam"},
        {"Joe   -inact- ", "Joe"},
        {"Joe   ---\?\?\?--", "Joe"},
        {"Joe   -inact-  -- 12-->", "Joe"},
        // Names that only look like parts of the marks stay whole.
        {"a -- b", "a -- b"},
        {"----x", "----x"},
        {"Tür 2", "Tür 2"},
    };
    for (const auto& [text, name] : cases)
        EXPECT_EQ(nodeEntryName(text), name) << text;
}
