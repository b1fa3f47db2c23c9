// The base of the tool dialogs built on a tool target (attributes, date and time): it owns the
// target and passes the target its commands and messages; Cancel detaches it.
#pragma once

#include <windows.h>

#include "tools/win/FileToolDialogs.h"
#include "tools/win/ToolTarget.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/ModalSeam.h"

namespace qv::tools {

class TargetDialog : public ui::DialogBase {
  public:
    TargetDialog(ui::MCMain* ui, const ToolStart& start, TargetMemory* memory)
        : m_ui(ui), m_start(start), m_target(ui, memory, false, "Choose file or folder") {}

    void Run(HWND owner, int templateId, ui::ModalKind kind) {
        const HINSTANCE instance = m_ui != nullptr ? m_ui->Instance() : GetModuleHandleA(nullptr);
        RunModal(instance, templateId, owner, kind);
    }

  protected:
    // The dialog's own commands, before the target's; true when handled.
    virtual bool OnToolCommand(int id, int code) = 0;

    ui::MCMain* m_ui;
    ToolStart m_start;
    ToolTarget m_target;

  private:
    bool OnCommand(int id, int code) override {
        return OnToolCommand(id, code) || m_target.OnCommand(id, code) || DialogBase::OnCommand(id, code);
    }
    void OnCancel() override {
        m_target.Detach();
        End(IDCANCEL);
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        return m_target.OnMessage(message, wParam, lParam) ? TRUE : FALSE;
    }
};

}  // namespace qv::tools
