// The program's message box: the centring rule, the answers by type, the seam, and the real
// dialog 175 driven through its own messages.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "resource.h"
#include "ui/UiTestUtil.h"
#include "ui/MessageBox.h"
#include "ui/ModalSeam.h"

namespace qv::test {
namespace {

using ui::CenterFirstLine;

TEST(CenterFirstLineTest, PadsTheFirstLineWhileEveryLineIsShort) {
    const std::string twenty = "Twenty characters!!!";
    ASSERT_EQ(twenty.size(), 20u);
    const std::string line75(75, 'x');
    const std::string line76(76, 'x');
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {twenty, std::string(30, ' ') + twenty + std::string(30, ' ')},
        {line75, "  " + line75 + "  "},  // (80 - 75) / 2 = 2
        {line76, line76},
        {"ab\r\nnext", std::string(39, ' ') + "ab" + std::string(39, ' ') + "\r\nnext"},
        {"", std::string(80, ' ')},
        // Five characters in seven bytes: the blanks follow the characters.
        {"Gr\xC3\xB6\xC3\x9F"
         "e",
         std::string(37, ' ') +
             "Gr\xC3\xB6\xC3\x9F"
             "e" +
             std::string(37, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CenterFirstLine(c.text), c.expected);
    }
}

TEST(MessageAnswerTest, ButtonsAndEscapeByType) {
    struct Case {
        int type;
        int command;
        int answer;
    };
    const Case cases[] = {
        {0, IDOK, 2}, {0, IDCANCEL, 2},  {0, IDNO, 0}, {1, IDOK, 1}, {1, IDCANCEL, 2}, {1, IDNO, 0}, {3, IDOK, 6},
        {3, IDNO, 7}, {3, IDCANCEL, 2},  {4, IDOK, 6}, {4, IDNO, 7}, {4, IDCANCEL, 0},  // a Yes/No box has no cancel
                                                                                        // answer: Escape does nothing
        {2, IDOK, 2}, {99, IDCANCEL, 2},  // unknown types behave as type 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << " command " << c.command);
        EXPECT_EQ(ui::MessageAnswer(c.type, c.command), c.answer);
    }
}

class MessageBoxTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ui::ModalSeam::Get().Begin();
    }
    void TearDown() override {
        ui::ModalSeam::Get().End();
        UiTest::TearDown();
    }
};

// Scripted answers with caption and text are logged in every window test; here the defaults.
TEST_F(MessageBoxTest, ABoxWithoutCaptionIsLoggedWithTheProgramsTitle) {
    ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Button(1));
    EXPECT_EQ(ui::ShowMessage(nullptr, nullptr, "Done", nullptr, 2), 1);
    const auto shown = ui::ModalSeam::Get().Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].scripted);
    EXPECT_EQ(shown[0].title, "Talvorn Quarvex");
    EXPECT_EQ(shown[0].type, 0);  // an unknown type shows as type 0
}

// What the observer saw of a real box, and the button it pressed.
struct BoxVisit {
    int press = 0;
    bool pressEscapeFirst = false;
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;  // visible buttons, left to right
    bool insideParent = false;
};

void VisitBox(HWND box, BoxVisit* visit) {
    visit->caption = TextOf(box);
    visit->text = TextOf(GetDlgItem(box, IDC_MESSAGE_TEXT));
    std::vector<std::pair<LONG, std::string>> visible;
    for (int id : {IDOK, IDCANCEL, IDNO}) {
        HWND button = GetDlgItem(box, id);
        if ((GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) != 0) {
            visible.emplace_back(RectInParent(button).left, TextOf(button));
        }
    }
    std::sort(visible.begin(), visible.end());
    for (const auto& [left, text] : visible) {
        visit->buttons.push_back(text);
    }
    RECT boxRect = {};
    RECT parentRect = {};
    GetWindowRect(box, &boxRect);
    GetWindowRect(GetParent(box), &parentRect);
    const int boxCentre = (boxRect.left + boxRect.right) / 2;
    const int parentCentre = (parentRect.left + parentRect.right) / 2;
    visit->insideParent = std::abs(boxCentre - parentCentre) <= 1;
    if (visit->pressEscapeFirst) {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(visit->press, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, visit->press)));
}

TEST_F(MessageBoxTest, RealBoxShowsTheButtonsOfEachTypeAndAnswersAsTheyDo) {
    struct Case {
        int type;
        std::vector<std::string> buttons;
        int press;
        bool escapeFirst;
        int answer;
    };
    // The answers of every button are MessageAnswer's (tested above); one press per type here.
    const Case cases[] = {
        {0, {"OK"}, IDOK, false, 2},
        {3, {"Yes", "No", "Cancel"}, IDNO, false, 7},
        {4, {"Yes", "No"}, IDOK, true, 6},  // Escape first is ignored, then the first button
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << " press " << c.press);
        BoxVisit visit;
        visit.press = c.press;
        visit.pressEscapeFirst = c.escapeFirst;
        ui::ModalSeam::Get().OnWindowUp([&](HWND box, ui::ModalKind) { VisitBox(box, &visit); });
        EXPECT_EQ(ui::ShowMessage(&m_ui, m_window.Handle(), "Twenty characters!!!", "Caption", c.type), c.answer);
        EXPECT_EQ(visit.buttons, c.buttons);
        EXPECT_EQ(visit.caption, "Caption");
        EXPECT_EQ(visit.text, std::string(30, ' ') + "Twenty characters!!!" + std::string(30, ' '));
        EXPECT_TRUE(visit.insideParent);
    }
    const auto shown = ui::ModalSeam::Get().Shown();
    ASSERT_EQ(shown.size(), std::size(cases));
    EXPECT_FALSE(shown.back().scripted);
    EXPECT_EQ(shown.back().answer.result, 6);
}

}  // namespace
}  // namespace qv::test
