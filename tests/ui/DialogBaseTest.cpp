// The dialog base and the guard at the system's entry points: a handler that runs out of memory
// ends its command with the program's message, and the window and the process go on.
#include <new>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "resource.h"
#include "ui/DialogBase.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"

namespace qv::test {
namespace {

using ui::ModalKind;
using ui::ModalSeam;

constexpr int kThrowingCommand = 4000;
constexpr UINT kThrowingMessage = WM_APP + 5;

// Dialog 100 with a command whose handler runs out of memory.
class ProbeDialog : public ui::DialogBase {
  public:
    INT_PTR Run(HWND owner) { return RunModal(GetModuleHandleA(nullptr), IDD_ABOUT, owner, ModalKind::About); }
    int cancels = 0;

  private:
    bool OnCommand(int id, int code) override {
        if (id == kThrowingCommand) {
            throw std::bad_alloc();
        }
        return DialogBase::OnCommand(id, code);
    }
    void OnCancel() override {
        ++cancels;
        DialogBase::OnCancel();
    }
};

// A window of the module's class whose handler runs out of memory on one message.
struct ThrowingHandler : ui::ModuleWindowHandler {
    LRESULT HandleModuleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrowingMessage) {
            throw std::bad_alloc();
        }
        return message == WM_APP + 6 ? 42 : DefWindowProcA(window, message, wParam, lParam);
    }
};

class GuardTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ModalSeam::Get().Begin();
        ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Button(ui::kAnswerCancel));  // the out-of-memory box
    }
    void TearDown() override {
        ModalSeam::Get().End();
        UiTest::TearDown();
    }
    static void ExpectOneOutOfMemoryMessage() {
        const std::vector<ui::ModalShown> shown = ModalSeam::Get().Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(std::make_pair(shown[0].kind, shown[0].text),
                  std::make_pair(ModalKind::Message, std::string("Not enough memory to complete the operation.")));
    }
};

TEST_F(GuardTest, ADialogHandlerOutOfMemoryEndsOnlyItsCommand) {
    ProbeDialog dialog;
    ModalKind seen = ModalKind::Message;
    ModalSeam::Get().OnWindowUp([&](HWND window, ModalKind kind) {
        seen = kind;
        SendMessageA(window, WM_COMMAND, kThrowingCommand, 0);
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);  // the dialog still answers
    });
    const INT_PTR result = dialog.Run(m_window.Handle());
    EXPECT_EQ(std::make_tuple(result, seen, dialog.cancels), std::make_tuple(INT_PTR{IDCANCEL}, ModalKind::About, 1));
    ExpectOneOutOfMemoryMessage();
}

TEST_F(GuardTest, AWindowProcedureOutOfMemoryAnswersTheFallbackAndTheWindowGoesOn) {
    ThrowingHandler handler;
    HWND window = CreateWindowExA(0, m_ui.ClassName().c_str(), "", WS_CHILD, 0, 0, 10, 10, m_window.Handle(), nullptr,
                                  GetModuleHandleA(nullptr), static_cast<ui::ModuleWindowHandler*>(&handler));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(window, kThrowingMessage, 0, 0), 0);
    ExpectOneOutOfMemoryMessage();
    EXPECT_EQ(SendMessageA(window, WM_APP + 6, 0, 0), 42);
    DestroyWindow(window);
}

TEST_F(GuardTest, OtherExceptionsEndTheCommandWithoutAMessage) {
    EXPECT_EQ(ui::Guarded(nullptr, []() -> int { throw std::runtime_error("broken"); }, 7), 7);
    EXPECT_EQ(ui::Guarded(nullptr, [] { return 3; }, 7), 3);
    EXPECT_TRUE(ModalSeam::Get().Shown().empty());
}

}  // namespace
}  // namespace qv::test
