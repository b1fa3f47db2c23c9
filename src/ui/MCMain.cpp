// The window-module base: class registration, the heartbeat, fonts, colours and tool tips.
#include "ui/MCMain.h"

#include <commctrl.h>

#include <clocale>
#include <cstdlib>

#include "ui/Guard.h"
#include "ui/WindowAttach.h"

namespace qv::ui {

namespace {

struct FontSpec {
    const char* face;
    int height;  // character height in pixels
    int weight;
    bool italic;
    BYTE quality;
};

constexpr FontSpec kFonts[kFontCount] = {
    {"Tahoma", 12, FW_NORMAL, false, PROOF_QUALITY},      {"MS Sans Serif", 11, FW_NORMAL, false, DRAFT_QUALITY},
    {"MS Sans Serif", 12, FW_BOLD, false, DRAFT_QUALITY}, {"MS Sans Serif", 11, FW_NORMAL, true, PROOF_QUALITY},
    {"Courier", 12, FW_NORMAL, false, PROOF_QUALITY},     {"Tahoma", 9, FW_NORMAL, false, DRAFT_QUALITY},
};

constexpr COLORREF kCaptionText = RGB(0, 0, 128);
constexpr COLORREF kButtonFace = RGB(228, 228, 228);
constexpr COLORREF kButtonText = RGB(0, 0, 32);
constexpr int kDefaultWidth = 796;
constexpr int kDefaultHeight = 574;
constexpr UINT kToolTipDelay = 500;
constexpr int kBeepCode = 2024;

// The one window procedure of the module's class: attach the handler, then forward.
LRESULT CALLBACK ModuleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded(
        window,
        [&] {
            auto* handler = AttachedObject<ModuleWindowHandler>(window, message, lParam);
            if (handler == nullptr) {
                return DefWindowProcA(window, message, wParam, lParam);
            }
            const LRESULT result = handler->HandleModuleMessage(window, message, wParam, lParam);
            if (message == WM_NCDESTROY) {
                SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            }
            return result;
        },
        LRESULT{0});
}

void SetMenuItemState(HMENU menu, int position, unsigned state) {
    CheckMenuItem(menu, position, MF_BYPOSITION | ((state & kCommandChecked) != 0 ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(menu, position, MF_BYPOSITION | ((state & kCommandDisabled) != 0 ? MF_GRAYED : MF_ENABLED));
}

}  // namespace

std::string SetProgramLocale() {
    // The user's default locale with the OEM code page, so dates and collation follow the user. Under the
    // manifest's UTF-8 code page all our strings are UTF-8, but ".OCP" makes the C runtime treat
    // bytes as OEM characters: tolower() then rewrites UTF-8 lead and continuation bytes, and a
    // comma decimal point would leak into the documents we write. So character classification
    // goes to UTF-8 where the runtime knows it (else to "C", which leaves bytes >= 0x80 alone),
    // and numbers keep the "C" decimal point. Collation, money and time stay the user's.
    setlocale(LC_ALL, ".OCP");
    if (GetACP() == CP_UTF8 && setlocale(LC_CTYPE, ".UTF8") == nullptr) {
        setlocale(LC_CTYPE, "C");
    }
    setlocale(LC_NUMERIC, "C");
    const char* now = setlocale(LC_ALL, nullptr);
    return now != nullptr ? now : "";
}

MCMain::MCMain() = default;

MCMain::~MCMain() {
    Destroy();
}

bool MCMain::Create(HINSTANCE instance, HWND host, const char* startPath) {
    m_instance = instance;
    m_host = host;
    m_frame = host != nullptr ? GetAncestor(host, GA_ROOT) : nullptr;
    m_startPath = startPath != nullptr ? startPath : "";
    if (!RegisterModuleClass()) {
        m_className.clear();
    }
    SetProgramLocale();
    RecordProgramPath();
    if (!m_className.empty()) {
        m_monitor = CreateWindowExA(0, m_className.c_str(), "Monitor", host != nullptr ? WS_CHILD : WS_POPUP, 0, 0, 1,
                                    1, host, nullptr, instance, static_cast<ModuleWindowHandler*>(&m_monitorHandler));
        if (m_monitor != nullptr) {
            SetTimer(m_monitor, kHeartbeatTimerId, kHeartbeatMilliseconds, nullptr);
        }
    }
    CreateFonts();
    CreateToolTipWindow();
    return true;
}

void MCMain::Destroy() {
    m_startPath.clear();
    if (m_monitor != nullptr) {
        KillTimer(m_monitor, kHeartbeatTimerId);
        DestroyWindow(m_monitor);
        m_monitor = nullptr;
    }
    for (HFONT& font : m_fonts) {
        if (font != nullptr) {
            DeleteObject(font);
            font = nullptr;
        }
    }
    if (!m_className.empty()) {
        // Fails, and keeps the class, while a window of it (a tree view host) still exists.
        UnregisterClassA(m_className.c_str(), m_instance);
    }
    if (m_toolTip != nullptr) {
        DestroyWindow(m_toolTip);
        m_toolTip = nullptr;
    }
}

bool MCMain::RegisterModuleClass() {
    // The class name carries the instance handle in decimal, so two modules in one process
    // never share a class.
    m_className = "MCMain:" + std::to_string(reinterpret_cast<std::intptr_t>(m_instance));
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &ModuleWindowProc;
    windowClass.hInstance = m_instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = m_className.c_str();
    return RegisterClassExA(&windowClass) != 0;
}

void MCMain::RecordProgramPath() {
    char path[MAX_PATH] = {};
    char drive[_MAX_DRIVE] = {};
    char directory[_MAX_DIR] = {};
    char name[_MAX_FNAME] = {};
    if (GetModuleFileNameA(nullptr, path, sizeof(path)) == 0) {
        return;
    }
    _splitpath(path, drive, directory, name, nullptr);
    m_programDrive = drive;
    m_programDirectory = directory;
    m_programName = name;
}

void MCMain::CreateFonts() {
    for (int i = 0; i < kFontCount; ++i) {
        const FontSpec& font = kFonts[i];
        m_fonts[i] =
            CreateFontA(-font.height, 0, 0, 0, font.weight, font.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, font.quality, DEFAULT_PITCH | FF_DONTCARE, font.face);
    }
}

void MCMain::CreateToolTipWindow() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    if (!InitCommonControlsEx(&controls)) {
        return;
    }
    m_toolTip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_frame, nullptr, m_instance, nullptr);
    if (m_toolTip != nullptr) {
        SendMessageA(m_toolTip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(kToolTipDelay, 0));
    }
}

LRESULT MCMain::Monitor::HandleModuleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kHeartbeatTimerId) {
        m_module.OnHeartbeat();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void MCMain::OnHeartbeat() {
    ++m_heartbeats;
    // A Tick that pumps messages (a modal box, a progress loop) must not be re-entered by the
    // heartbeats that arrive meanwhile.
    if (m_active == 0 || m_inTick) {
        return;
    }
    m_inTick = true;
    Tick();
    m_inTick = false;
}

void MCMain::Activate(bool on) {
    m_active = on ? 1 : 0;
    if (on && m_host != nullptr) {
        BringWindowToTop(m_host);
    }
    if (m_toolTip != nullptr) {
        SendMessageA(m_toolTip, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
    }
}

std::int32_t MCMain::ActiveFlag() const {
    return m_active;
}

void MCMain::SetRunning(bool on) {
    m_running = on;
    if (on) {
        m_countedUpTo = GetTickCount();
    }
}

void MCMain::Tick() {
    if (m_running) {
        const DWORD elapsedSeconds = (GetTickCount() - m_countedUpTo) / 1000;
        m_runningSeconds += static_cast<std::int32_t>(elapsedSeconds);
        m_countedUpTo += elapsedSeconds * 1000;  // keep the fraction for the next count
    }
    OnTimer(kHeartbeatTimerId);
}

int MCMain::Query(int code) {
    if (code == kBeepCode) {
        MessageBeep(MB_OK);
    }
    return -1;
}

int MCMain::Notify(int, std::intptr_t) {
    return 0;
}

std::int32_t MCMain::RunningSeconds() const {
    return m_runningSeconds;
}

void MCMain::OnSize(int, int) {}

void MCMain::UpdateMenuStates(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        HMENU subMenu = GetSubMenu(menu, position);
        if (subMenu != nullptr) {
            UpdateMenuStates(subMenu);
            continue;
        }
        const UINT id = GetMenuItemID(menu, position);
        if (id != 0 && id != static_cast<UINT>(-1)) {  // separators have id 0
            SetMenuItemState(menu, position, GetCommandState(static_cast<int>(id)));
        }
    }
}

unsigned MCMain::GetCommandState(int) {
    return 0;
}

bool MCMain::OnCommand(int) {
    return false;
}

void MCMain::SetName(const char* name) {
    m_name = name != nullptr ? name : "";
}

std::int32_t MCMain::GetValue() const {
    return m_value;
}

void MCMain::SetValue(std::int32_t value) {
    m_value = value;
}

COLORREF MCMain::GetColor(int index) const {
    switch (index) {
        case COLOR_CAPTIONTEXT:
            return kCaptionText;
        case COLOR_BTNFACE:
            return kButtonFace;
        case COLOR_BTNTEXT:
            return kButtonText;
        default:
            return GetSysColor(index);
    }
}

int MCMain::DefaultWidth() const {
    return kDefaultWidth;
}

int MCMain::DefaultHeight() const {
    return kDefaultHeight;
}

void MCMain::OnTimer(UINT_PTR) {
    if (m_toolTip == nullptr) {
        return;
    }
    // The heartbeat tells the tip window where the cursor is whenever it has moved, so the tip
    // window keeps up even over windows whose mouse messages it does not see (a disabled
    // button gets none). Unmoved cursors are not relayed: that would restart the tip's delay.
    POINT cursor = {};
    if (!GetCursorPos(&cursor) || (cursor.x == m_lastCursor.x && cursor.y == m_lastCursor.y)) {
        return;
    }
    m_lastCursor = cursor;
    HWND under = WindowFromPoint(cursor);
    if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) {
        return;
    }
    MSG relayed = {};
    relayed.hwnd = under;
    relayed.message = WM_MOUSEMOVE;
    POINT client = cursor;
    ScreenToClient(under, &client);
    relayed.lParam = MAKELPARAM(client.x, client.y);
    relayed.time = GetMessageTime();
    relayed.pt = cursor;
    SendMessageA(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void MCMain::SetTitle(const char* title) {
    m_title = title != nullptr ? title : "";
    if (m_host != nullptr) {
        SetWindowTextA(m_host, m_title.c_str());
    }
}

HFONT MCMain::GetFont(int index) const {
    return index >= 0 && index < kFontCount ? m_fonts[index] : nullptr;
}

bool MCMain::AddToolTip(HWND control, const char* text, HWND owner) {
    if (m_toolTip == nullptr || control == nullptr) {
        return false;
    }
    RemoveDeadToolTips();
    TOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner != nullptr ? owner : GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text != nullptr ? text : "");
    return SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

// Dialogs add their controls to the one shared tool tip window and are destroyed without taking
// them out again; dropping the tools of windows that no longer exist keeps the list from growing
// with every dialog opened.
void MCMain::RemoveDeadToolTips() {
    const int count = static_cast<int>(SendMessageA(m_toolTip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = count - 1; i >= 0; --i) {
        TOOLINFOA tool = {};
        tool.cbSize = sizeof(tool);
        if (!SendMessageA(m_toolTip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool))) {
            continue;
        }
        const bool controlGone = (tool.uFlags & TTF_IDISHWND) != 0 && !IsWindow(reinterpret_cast<HWND>(tool.uId));
        if (!IsWindow(tool.hwnd) || controlGone) {
            SendMessageA(m_toolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
}

bool MCMain::SetToolTipText(HWND control, const char* text) {
    if (m_toolTip == nullptr || control == nullptr) {
        return false;
    }
    // The tool is keyed by its owner window and the control; the owner may not be the
    // control's parent, so look the tool up.
    const int count = static_cast<int>(SendMessageA(m_toolTip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TOOLINFOA tool = {};
        tool.cbSize = sizeof(tool);
        if (!SendMessageA(m_toolTip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool)) ||
            tool.uId != reinterpret_cast<UINT_PTR>(control)) {
            continue;
        }
        tool.lpszText = const_cast<char*>(text != nullptr ? text : "");
        SendMessageA(m_toolTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        return true;
    }
    return false;
}

}  // namespace qv::ui
