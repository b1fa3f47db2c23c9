// Restyled dialog controls: the dialog subclass that draws them and the restyling functions.
#include "ui/StyledControls.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/Guard.h"
#include "ui/MCMain.h"

namespace qv::ui {

namespace {

constexpr UINT_PTR kStyleSubclassId = 0x4D435354;  // "MCST"
// The window property that finds a dialog's styles (the import library lacks GetWindowSubclass).
constexpr char kStylesProperty[] = "qv.ui.styles";
constexpr int kCheckBoxFont = 1;
constexpr int kCornerRadius = 8;

enum class StyleKind { Button, PushButton, Label, CheckBox };

struct ControlStyle {
    int id = 0;
    StyleKind kind = StyleKind::Button;
    HFONT font = nullptr;
    COLORREF text = CLR_INVALID;
    COLORREF face = CLR_INVALID;
    HBRUSH background = nullptr;  // labels with their own background
};

// The restyled controls of one dialog. Owned by the dialog's subclass and deleted with it.
struct DialogStyles {
    std::vector<ControlStyle> controls;

    ~DialogStyles() {
        for (const ControlStyle& control : controls) {
            if (control.background != nullptr) {
                DeleteObject(control.background);
            }
        }
    }
    const ControlStyle* Find(int id) const {
        for (const ControlStyle& control : controls) {
            if (control.id == id) {
                return &control;
            }
        }
        return nullptr;
    }
};

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

void DrawButtonText(const DRAWITEMSTRUCT& item, const ControlStyle& style, RECT rect) {
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    if (pressed) {
        OffsetRect(&rect, 1, 1);
    }
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    SetTextColor(item.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : style.text);
    SetBkMode(item.hDC, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(item.hDC, style.font != nullptr ? style.font : GetStockObject(DEFAULT_GUI_FONT));
    const std::string text = WindowText(item.hwndItem);
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if ((item.itemState & ODS_NOACCEL) != 0) {
        format |= DT_HIDEPREFIX;
    }
    DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SelectObject(item.hDC, oldFont);
}

void DrawFocus(const DRAWITEMSTRUCT& item, RECT rect) {
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        InflateRect(&rect, -3, -3);
        DrawFocusRect(item.hDC, &rect);
    }
}

void DrawSquareButton(const DRAWITEMSTRUCT& item, const ControlStyle& style) {
    RECT rect = item.rcItem;
    HBRUSH face = CreateSolidBrush(style.face);
    FillRect(item.hDC, &rect, face);
    DeleteObject(face);
    DrawEdge(item.hDC, &rect, (item.itemState & ODS_SELECTED) != 0 ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    DrawButtonText(item, style, rect);
    DrawFocus(item, rect);
}

void DrawRoundButton(const DRAWITEMSTRUCT& item, const ControlStyle& style) {
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));  // the corners outside the curve
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    HBRUSH face = CreateSolidBrush(pressed ? GetSysColor(COLOR_BTNSHADOW) : style.face);
    HPEN edge = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
    HGDIOBJ oldBrush = SelectObject(item.hDC, face);
    HGDIOBJ oldPen = SelectObject(item.hDC, edge);
    RoundRect(item.hDC, rect.left, rect.top, rect.right, rect.bottom, kCornerRadius, kCornerRadius);
    SelectObject(item.hDC, oldBrush);
    SelectObject(item.hDC, oldPen);
    DeleteObject(face);
    DeleteObject(edge);
    DrawButtonText(item, style, rect);
    DrawFocus(item, rect);
}

bool Draw(const DialogStyles& styles, const DRAWITEMSTRUCT& item) {
    const ControlStyle* style = styles.Find(static_cast<int>(item.CtlID));
    if (style == nullptr) {
        return false;
    }
    switch (style->kind) {
        case StyleKind::Button:
            DrawSquareButton(item, *style);
            return true;
        case StyleKind::PushButton:
            DrawRoundButton(item, *style);
            return true;
        default:
            return false;
    }
}

// Colours of labels and check boxes; the dialog's own answer supplies the brush otherwise.
LRESULT ControlColour(const DialogStyles& styles, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT dialogBrush = DefSubclassProc(dialog, message, wParam, lParam);
    const ControlStyle* style = styles.Find(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
    if (style == nullptr || (style->kind != StyleKind::Label && style->kind != StyleKind::CheckBox)) {
        return dialogBrush;
    }
    auto dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, style->text);
    if (style->background != nullptr) {
        SetBkColor(dc, style->face);
        return reinterpret_cast<LRESULT>(style->background);
    }
    SetBkMode(dc, TRANSPARENT);
    return dialogBrush != 0 ? dialogBrush : reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK DialogStyleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

LRESULT StyledDialogMessage(DialogStyles* styles, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM:
            if (Draw(*styles, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColour(*styles, dialog, message, wParam, lParam);
        case WM_NCDESTROY:
            RemoveWindowSubclass(dialog, &DialogStyleProc, kStyleSubclassId);
            RemovePropA(dialog, kStylesProperty);
            delete styles;
            break;
        default:
            break;
    }
    return DefSubclassProc(dialog, message, wParam, lParam);
}

LRESULT CALLBACK DialogStyleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    return Guarded(
        dialog,
        [&] { return StyledDialogMessage(reinterpret_cast<DialogStyles*>(data), dialog, message, wParam, lParam); },
        LRESULT{0});
}

DialogStyles* StylesOf(HWND dialog) {
    if (auto* styles = static_cast<DialogStyles*>(GetPropA(dialog, kStylesProperty)); styles != nullptr) {
        return styles;
    }
    auto* styles = new DialogStyles;
    if (!SetWindowSubclass(dialog, &DialogStyleProc, kStyleSubclassId, reinterpret_cast<DWORD_PTR>(styles))) {
        delete styles;
        return nullptr;
    }
    SetPropA(dialog, kStylesProperty, styles);
    return styles;
}

// Records the style of a control (replacing an earlier one) and returns the control.
HWND Register(HWND dialog, int id, ControlStyle style) {
    HWND control = GetDlgItem(dialog, id);
    DialogStyles* styles = control != nullptr ? StylesOf(dialog) : nullptr;
    if (styles == nullptr) {
        return nullptr;
    }
    style.id = id;
    for (ControlStyle& existing : styles->controls) {
        if (existing.id == id) {
            if (existing.background != nullptr) {
                DeleteObject(existing.background);
            }
            existing = style;
            return control;
        }
    }
    styles->controls.push_back(style);
    return control;
}

void SetControlFont(HWND control, HFONT font) {
    if (font != nullptr) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void MakeOwnerDrawn(HWND control, LONG_PTR ownerDrawType, LONG_PTR typeMask) {
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    SetWindowLongPtrA(control, GWL_STYLE, (style & ~typeMask) | ownerDrawType);
    InvalidateRect(control, nullptr, TRUE);
}

void AddTip(MCMain& ui, HWND dialog, HWND control, const char* tip) {
    if (tip != nullptr) {
        ui.AddToolTip(control, tip, dialog);
    }
}

HWND StyleOwnerDrawnButton(MCMain& ui,
                           HWND dialog,
                           int id,
                           const char* tip,
                           int font,
                           StyleKind kind,
                           COLORREF textColour) {
    ControlStyle style;
    style.kind = kind;
    style.font = ui.GetFont(font);
    style.text = textColour != CLR_INVALID ? textColour : ui.GetColor(COLOR_BTNTEXT);
    style.face = ui.GetColor(COLOR_BTNFACE);
    HWND control = Register(dialog, id, style);
    if (control != nullptr) {
        MakeOwnerDrawn(control, BS_OWNERDRAW, BS_TYPEMASK);
        SetControlFont(control, style.font);
        AddTip(ui, dialog, control, tip);
    }
    return control;
}

}  // namespace

HWND StyleButton(MCMain& ui, HWND dialog, int id, const char* tip, int font) {
    return StyleOwnerDrawnButton(ui, dialog, id, tip, font, StyleKind::Button, CLR_INVALID);
}

HWND StylePushButton(MCMain& ui, HWND dialog, int id, const char* tip, int font, COLORREF textColour) {
    return StyleOwnerDrawnButton(ui, dialog, id, tip, font, StyleKind::PushButton, textColour);
}

HWND StyleLabel(MCMain& ui, HWND dialog, int id, const char* tip, int font, COLORREF background) {
    ControlStyle style;
    style.kind = StyleKind::Label;
    style.font = ui.GetFont(font);
    style.text = ui.GetColor(COLOR_BTNTEXT);
    if (background != CLR_INVALID) {
        style.face = background;
        style.background = CreateSolidBrush(background);
    }
    HWND control = Register(dialog, id, style);
    if (control == nullptr) {
        if (style.background != nullptr) {
            DeleteObject(style.background);
        }
        return nullptr;
    }
    SetControlFont(control, style.font);
    AddTip(ui, dialog, control, tip);
    if (tip != nullptr) {
        // A static control only sees the mouse (and so its tip) with SS_NOTIFY.
        SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | SS_NOTIFY);
    }
    return control;
}

HWND StyleCheckBox(MCMain& ui, HWND dialog, int id, const char* tip) {
    ControlStyle style;
    style.kind = StyleKind::CheckBox;
    style.font = ui.GetFont(kCheckBoxFont);
    style.text = ui.GetColor(COLOR_BTNTEXT);
    HWND control = Register(dialog, id, style);
    if (control != nullptr) {
        SetControlFont(control, style.font);
        AddTip(ui, dialog, control, tip);
    }
    return control;
}

}  // namespace qv::ui
