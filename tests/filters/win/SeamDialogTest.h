// What the dialog tests share: a window module with the modal seam begun (which also keeps the
// shell's "open" and "explore" from running), a scratch folder, opening a dialog and working on it
// from inside its modal loop, and the user's actions on check boxes and edits.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "TestUtil.h"
#include "platform/Platform.h"
#include "resource.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"

namespace qv::test {

// Sets check box `id` and tells its dialog, as a click does.
inline void Click(HWND dialog, int id, bool check) {
    CheckDlgButton(dialog, id, check ? BST_CHECKED : BST_UNCHECKED);
    PressButton(dialog, id);
}

inline void Toggle(HWND dialog, int id) {
    Click(dialog, id, IsDlgButtonChecked(dialog, id) != BST_CHECKED);
}

class SeamDialogTest : public SeamTest {
  protected:
    // Calls `open`; the window of `kind` it shows goes to `drive`, which must close it, windows
    // of other kinds to `other`. True when `drive` ran.
    static bool Drive(ui::ModalKind kind, const std::function<void()>& open, const std::function<void(HWND)>& drive,
                      const std::function<void(HWND)>& other = [](HWND) {}) {
        bool driven = false;
        ui::ModalSeam::Get().OnWindowUp([&](HWND window, ui::ModalKind up) {
            driven = driven || up == kind;
            (up == kind ? drive : other)(window);
        });
        open();
        return driven;
    }
    void ExpectTip(HWND dialog, int id, const std::string& tip) {
        EXPECT_EQ(TipOf(m_ui.ToolTipWindow(), dialog, GetDlgItem(dialog, id)), tip) << id;
    }
    static void Queue(const std::vector<int>& buttons) {
        for (int button : buttons) {
            ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Button(button));
        }
    }

    ScratchDir m_dir;
};

}  // namespace qv::test
