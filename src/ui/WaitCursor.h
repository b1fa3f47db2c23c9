// The wait cursor while a window works on the user's thread.
#pragma once

#include <windows.h>

namespace qv::ui {

// Shows the wait cursor for its lifetime, then the cursor it replaced.
class WaitCursor {
  public:
    WaitCursor() : m_previous(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR m_previous;
};

}  // namespace qv::ui
