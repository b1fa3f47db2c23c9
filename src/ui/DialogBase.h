// The base of every dialog of the program, modal and modeless: the dialog procedure finds the
// object behind the window and hands each message to one of its handlers.
#pragma once

#include <windows.h>

#include "ui/ModalSeam.h"

namespace qv::ui {

// A dialog made from a template with its object as the creation parameter. The object is
// attached at WM_INITDIALOG (messages before it get the dialog manager's default) and detached
// at WM_NCDESTROY or when the object goes first; it must outlive its window's use. Every
// message passes the guard (Guard.h), so nothing a handler throws reaches the system.
class DialogBase {
  public:
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // The window from WM_INITDIALOG to WM_NCDESTROY, else null.
    HWND Handle() const { return m_dialog; }

  protected:
    DialogBase() = default;
    virtual ~DialogBase();

    // Runs template `templateId` modally over `owner`: the seam's hook sees the window as `kind`
    // once it is up. Returns what End was given, or -1 when the window could not be made.
    INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner, ModalKind kind);
    // Makes template `templateId` as a modeless window in `parent`; false when it failed.
    bool CreateModeless(HINSTANCE instance, int templateId, HWND parent);
    // Ends a modal run with `result`; a modeless window stays.
    void End(INT_PTR result);

    // The window is there with its controls. True lets the dialog manager put the focus on the
    // first control; false keeps the focus where OnInit left it.
    virtual bool OnInit() { return true; }
    // WM_COMMAND: true when handled. By default a click of OK or Cancel (Enter and Escape
    // included) goes to OnOK or OnCancel.
    virtual bool OnCommand(int id, int code);
    // WM_NOTIFY: true when handled, with the answer in `result`.
    virtual bool OnNotify(const NMHDR& header, LRESULT* result);
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // Every other message, answered as a dialog procedure answers.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The window is going (WM_NCDESTROY); Handle() is still set.
    virtual void OnDestroyed() {}

  private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_dialog = nullptr;
    bool m_modal = false;
    ModalKind m_kind = ModalKind::Message;
};

}  // namespace qv::ui
