// The dialog base: attaching the object, the modal and modeless runs and the message dispatch.
#include "ui/DialogBase.h"

#include "ui/Guard.h"

namespace qv::ui {

namespace {

// Posted to a modal dialog before its OnInit, so the seam's hook runs from inside the modal
// loop, with the window shown, before anything the dialog posts itself.
constexpr UINT kModalUpMessage = WM_APP + 0x3F00;

}  // namespace

DialogBase::~DialogBase() {
    if (m_dialog != nullptr && IsWindow(m_dialog)) {
        SetWindowLongPtrA(m_dialog, DWLP_USER, 0);
    }
}

INT_PTR DialogBase::RunModal(HINSTANCE instance, int templateId, HWND owner, ModalKind kind) {
    m_modal = true;
    m_kind = kind;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, &DialogBase::Procedure,
                           reinterpret_cast<LPARAM>(this));
}

bool DialogBase::CreateModeless(HINSTANCE instance, int templateId, HWND parent) {
    m_modal = false;
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, &DialogBase::Procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void DialogBase::End(INT_PTR result) {
    if (m_modal && m_dialog != nullptr) {
        EndDialog(m_dialog, result);
    }
}

bool DialogBase::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return false;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool DialogBase::OnNotify(const NMHDR&, LRESULT*) {
    return false;
}

INT_PTR DialogBase::OnMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

INT_PTR CALLBACK DialogBase::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded(
        dialog,
        [&]() -> INT_PTR {
            if (message == WM_INITDIALOG) {
                auto* self = reinterpret_cast<DialogBase*>(lParam);
                SetWindowLongPtrA(dialog, DWLP_USER, lParam);
                self->m_dialog = dialog;
                if (self->m_modal) {
                    PostMessageA(dialog, kModalUpMessage, 0, 0);
                }
                return self->OnInit() ? TRUE : FALSE;
            }
            auto* self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(dialog, DWLP_USER));
            return self != nullptr && self->m_dialog == dialog ? self->Dispatch(message, wParam, lParam) : FALSE;
        },
        INT_PTR{FALSE});
}

INT_PTR DialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(*reinterpret_cast<const NMHDR*>(lParam), &result)) {
                return FALSE;
            }
            SetWindowLongPtrA(m_dialog, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case kModalUpMessage:
            ModalSeam::Get().WindowUp(m_dialog, m_kind);
            return TRUE;
        case WM_NCDESTROY:
            OnDestroyed();
            SetWindowLongPtrA(m_dialog, DWLP_USER, 0);
            m_dialog = nullptr;
            return FALSE;
        default:
            return OnMessage(message, wParam, lParam);
    }
}

}  // namespace qv::ui
