// The program's message box: the centring rule, the answers by type, the seam, and the real
// dialog 175 driven through its own messages.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "resource.h"
#include "ui/UiTestUtil.h"
#include "ui/MessageBox.h"
#include "ui/ModalSeam.h"

namespace qv::test {
namespace {

using ui::CenterFirstLine;

// The real box below shows a short line centred; here the limits and the line and character rules.
TEST(CenterFirstLineTest, PadsTheFirstLineWhileEveryLineIsShort) {
    const std::string line75(75, 'x'), line76(76, 'x'), utf8 = "Gr\xC3\xB6\xC3\x9F" "e";  // five characters
    const std::pair<std::string, std::string> cases[] = {
        {line75, "  " + line75 + "  "},  // (80 - 75) / 2 = 2
        {line76, line76},
        {"ab\r\nnext", std::string(39, ' ') + "ab" + std::string(39, ' ') + "\r\nnext"},
        {utf8, std::string(37, ' ') + utf8 + std::string(37, ' ')},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(CenterFirstLine(text), expected) << text;
    }
}

// One row per way to an answer; the real box below presses a button of each type.
TEST(MessageAnswerTest, ButtonsAndEscapeByType) {
    const std::tuple<int, int, int> cases[] = {
        {0, IDCANCEL, 2}, {0, IDNO, 0},  {1, IDOK, 1},     {1, IDCANCEL, 2},
        {4, IDNO, 7},     {4, IDCANCEL, 0} /* a Yes/No box has no cancel answer */, {99, IDCANCEL, 2},
    };
    for (const auto& [type, command, answer] : cases) {
        EXPECT_EQ(ui::MessageAnswer(type, command), answer) << "type " << type << " command " << command;
    }
}

using MessageBoxTest = SeamTest;

// Scripted answers with caption and text are logged in every window test; here the defaults.
TEST_F(MessageBoxTest, ABoxWithoutCaptionIsLoggedWithTheProgramsTitle) {
    ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Button(1));
    EXPECT_EQ(ui::ShowMessage(nullptr, nullptr, "Done", nullptr, 2), 1);
    const auto shown = ui::ModalSeam::Get().Shown();
    ASSERT_EQ(shown.size(), 1u);
    // An unknown type shows as type 0.
    EXPECT_EQ(std::make_tuple(shown[0].scripted, shown[0].title, shown[0].type), std::make_tuple(true, std::string("Talvorn Quarvex"), 0));
}

// What an observer sees of a real box, "caption|text|buttons from left to right|centred"; then it
// presses `press` (after Escape when `escapeFirst`).
std::string VisitBox(HWND box, int press, bool escapeFirst) {
    std::vector<std::pair<LONG, std::string>> visible;
    for (int id : {IDOK, IDCANCEL, IDNO}) {
        if (Visible(box, id)) {
            visible.emplace_back(RectInParent(GetDlgItem(box, id)).left, TextOf(GetDlgItem(box, id)));
        }
    }
    std::sort(visible.begin(), visible.end());
    std::string seen = TextOf(box) + "|" + TextOf(GetDlgItem(box, IDC_MESSAGE_TEXT)) + "|";
    for (const auto& [left, text] : visible) {
        seen += text + " ";
    }
    RECT boxRect = {}, parentRect = {};
    GetWindowRect(box, &boxRect);
    GetWindowRect(GetParent(box), &parentRect);
    seen += std::abs((boxRect.left + boxRect.right) / 2 - (parentRect.left + parentRect.right) / 2) <= 1 ? "|centred" : "|";
    if (escapeFirst) {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, press)));
    return seen;
}

TEST_F(MessageBoxTest, RealBoxShowsTheButtonsOfEachTypeAndAnswersAsTheyDo) {
    // Type, buttons shown, button pressed, Escape pressed first (ignored by a Yes/No box), answer.
    const std::tuple<int, const char*, int, bool, int> cases[] = {
        {0, "OK ", IDOK, false, 2}, {3, "Yes No Cancel ", IDNO, false, 7}, {4, "Yes No ", IDOK, true, 6}};
    const std::string centred = std::string(30, ' ') + "Twenty characters!!!" + std::string(30, ' ');
    for (const auto& [type, buttons, press, escapeFirst, answer] : cases) {
        std::string seen;
        ui::ModalSeam::Get().OnWindowUp([&](HWND box, ui::ModalKind) { seen = VisitBox(box, press, escapeFirst); });
        EXPECT_EQ(ui::ShowMessage(&m_ui, m_window.Handle(), "Twenty characters!!!", "Caption", type), answer);
        EXPECT_EQ(seen, "Caption|" + centred + "|" + buttons + "|centred");
    }
    const auto shown = ui::ModalSeam::Get().Shown();
    ASSERT_EQ(shown.size(), std::size(cases));
    EXPECT_FALSE(shown.back().scripted);
    EXPECT_EQ(shown.back().answer.result, 6);
}

}  // namespace
}  // namespace qv::test
