// The filter editor's rules without a window: enable states, pending edits, accepting (with the
// refused accept that keeps the filter), new names, delete and moves, and opening bad files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "TestUtil.h"
#include "filters/FilterEditorModel.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

// An editable model on `count` filters "f1".."fN" with masks "*.1".."*.N", line `position` selected.
std::unique_ptr<FilterEditorModel> Model(int count, int position, bool editable = true) {
    auto model = std::make_unique<FilterEditorModel>(editable);
    std::vector<FilterInfo> filters;
    for (int i = 1; i <= count; ++i) {
        filters.push_back(test::Filter("f" + std::to_string(i), "*." + std::to_string(i)));
    }
    FilterSet set;
    test::FillFilters(&set, filters);
    model->OpenSet(set, position);
    return model;
}

// The enable state of every control as a string, one letter per control, upper case when
// enabled: L list, C create, R remove, U up, D down, A accept, X discard, O load, S save,
// N new set, K ok, F fields, E enabled box.
std::string EnableText(const EditorEnables& e) {
    const bool bits[] = {e.list, e.create, e.remove,       e.moveUp, e.moveDown, e.accept,    e.discard,
                         e.load, e.save,   e.createNewSet, e.ok,     e.fields,   e.enabledBox};
    const char* letters = "lcrudaxosnkfe";
    std::string text;
    for (std::size_t i = 0; i < std::size(bits); ++i) {
        text += bits[i] ? static_cast<char>(letters[i] - 'a' + 'A') : letters[i];
    }
    return text;
}

TEST(FilterEditorModel, EnableStates) {
    // what, count, position, editable, modified, enables
    const std::tuple<const char*, int, int, bool, bool, const char*> cases[] = {
        // clang-format off
        {"middle line",  3,  2, true,  false, "LCRUDaxOSNKFE"},
        {"first line",   3,  1, true,  false, "LCRuDaxOSNKFE"},
        {"last line",    3,  3, true,  false, "LCRUdaxOSNKFE"},
        {"99 filters",   99, 5, true,  false, "LcRUDaxOSNKFE"},
        {"empty set",    0,  0, true,  false, "LCrudaxOSNkfe"},
        {"edit pending", 3,  2, true,  true,  "lcrudAXosnkFE"},
        {"read-only",    3,  2, false, false, "LcrudaxosnKfe"},
        // clang-format on
    };
    for (const auto& [what, count, position, editable, modified, expected] : cases) {
        auto model = Model(count, position, editable);
        if (modified) {
            model->NoteBoxes(true, true);
        }
        EXPECT_EQ(std::pair(model->Modified(), EnableText(model->Enables())), std::pair(modified, std::string(expected)))
            << what;
    }
}

TEST(FilterEditorModel, OnlyRealChangesSetModified) {
    // name, masks, whether the edit counts (case alone does not)
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"f2", "*.2", false}, {"F2", "*.2", false}, {"f2", "*.2 ", true}, {"f2", "*.3", true}};
    for (const auto& [name, masks, modified] : cases) {
        auto model = Model(3, 2);
        model->NoteTexts(name, masks);
        EXPECT_EQ(model->Modified(), modified) << name << " " << masks;
    }
    auto model = Model(3, 2);
    model->NoteBoxes(false, false);  // the hidden Enabled box counts too
    EXPECT_TRUE(model->Modified());
    EXPECT_FALSE(model->Select(1)) << "the selection waits for the pending edit";
    model->Discard();
    EXPECT_TRUE(model->Select(1));
}

TEST(FilterEditorModel, AcceptKeepsTheFilterWhenItRefuses) {
    const std::string longMask = "*." + std::string(600, 'a');
    const char* empty = "Fields 'Name' and 'Mask' cannot be empty !";
    // name, masks, message (empty: accepted), focus, line 2 and its masks afterwards
    const std::tuple<std::string, std::string, std::string, EditorFocus, std::string, std::string> cases[] = {
        // clang-format off
        {"docs", " *.doc , *.txt", "",   EditorFocus::None, "02. docs", "*.doc;*.txt"},
        {"",     "*.x",            empty, EditorFocus::Name, "02. f2",   "*.2"},
        {"x",    "   ",            empty, EditorFocus::Mask, "02. f2",   "*.2"},
        {"f3",   "*.x", "Filter with this name already exist", EditorFocus::None, "02. f2", "*.2"},
        {"f2",   longMask,         "",   EditorFocus::None, "02. f2",   longMask.substr(0, 511)},
        // clang-format on
    };
    for (const auto& [name, masks, message, focus, line, stored] : cases) {
        auto model = Model(3, 2);
        model->NoteTexts(name, masks);
        const AcceptOutcome outcome = model->Accept(name, masks, true, true);
        FilterInfo line2;
        ASSERT_TRUE(model->Working().FindById(2, &line2)) << name;
        // A refused edit stays pending.
        EXPECT_EQ(std::tuple(outcome.message, outcome.accepted, outcome.focus, model->Lines()[1], model->Modified(),
                             line2.masks, model->Working().Count()),
                  std::tuple(message, message.empty(), focus, line, !message.empty(), stored, 3))
            << name;
    }
}

TEST(FilterEditorModel, CreateDeleteAndMove) {
    FilterEditorModel model(true);
    FilterSet set;
    test::FillFilters(
        &set, {test::Filter("a", "*.x"), test::Filter("New Filter 1", "*.x"), test::Filter("New Filter 3", "*.x")});
    model.OpenSet(set, 2);
    ASSERT_TRUE(model.CreateFilter());
    EXPECT_EQ(model.Lines(), (Lines{"01. a", "02. New Filter 2", "03. New Filter 1", "04. New Filter 3"}));
    EXPECT_FALSE(Model(99, 1)->CreateFilter());

    EXPECT_TRUE(model.MoveDown());
    EXPECT_EQ(std::tuple(model.Position(), model.Lines()[2]), std::tuple(3, "03. New Filter 2"));
    EXPECT_TRUE(model.Select(4));
    EXPECT_EQ(DeleteQuestion(model.Lines()[3]), "    Delete filter '04. New Filter 3' ?     ");
    ASSERT_TRUE(model.DeleteSelected());
    EXPECT_EQ(model.Position(), 3) << "the last line is selected";
    EXPECT_TRUE(model.Select(1) && !model.MoveUp());

    ASSERT_TRUE(model.CreateNewSet());
    EXPECT_EQ(model.Lines(), (Lines{"01. New Filter 1"}));
    auto readOnly = Model(3, 2, false);
    EXPECT_FALSE(readOnly->DeleteSelected() || readOnly->MoveUp() || readOnly->CreateFilter());
}

TEST(FilterEditorModel, OpeningSurvivesBadFiles) {
    EXPECT_EQ(Model(4, 3)->Current().name, "f3");
    EXPECT_EQ(Model(4, 9)->Position(), 1);
    test::ScratchDir dir;
    std::string same = "<?xml version=\"1.0\"?>\n<node name=\"Filters\">";
    for (int i = 0; i < 100; ++i) {
        same += "<node name=\"twin\" desc=\"*.t\"/>";
    }
    dir.WriteText("same.mcf", same + "</node>");
    FilterEditorModel twins(false);
    EXPECT_TRUE(twins.OpenFile(dir.Sub("same.mcf")));
    EXPECT_EQ(twins.Lines(), (Lines{"01. twin"}));
    FilterEditorModel missing(false);
    EXPECT_FALSE(missing.OpenFile(dir.Sub("none.mcf")));
    EXPECT_EQ(std::tuple(missing.Position(), missing.Enables().ok), std::tuple(0, false));
}

}  // namespace
}  // namespace qv
