// The "Notes" dialog: the folder's path, the dark blue label, the notes edit with the focus, and
// OK/Cancel with their tips.
#include "view/win/NotesDialog.h"

#include "resource.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/StyledControls.h"
#include "view/Notes.h"

namespace qv {

namespace {

constexpr int kButtonFont = 1;
constexpr int kLabelFont = 1;
constexpr int kNotesFont = 0;
constexpr COLORREF kLabelColour = 0x800000;  // dark blue

// Shows the path and the notes; OK keeps the edited text in `result`.
class NotesDialog final : public ui::DialogBase {
  public:
    NotesDialog(ui::MCMain* ui, const std::string& path, const std::string& text)
        : m_ui(ui), m_path(path), m_text(text) {}

    std::optional<std::string> Run(HWND parent) {
        const HINSTANCE instance = m_ui != nullptr ? m_ui->Instance() : GetModuleHandleA(nullptr);
        if (RunModal(instance, IDD_NOTES, parent, ui::ModalKind::Notes) != IDOK) {
            return std::nullopt;
        }
        return m_result;
    }

  private:
    bool OnInit() override {
        HWND dialog = Handle();
        SetDlgItemTextA(dialog, IDC_NOTES_PATH, m_path.c_str());
        HWND edit = GetDlgItem(dialog, IDC_NOTES_EDIT);
        SendMessageA(edit, EM_LIMITTEXT, kMaxNotesLength, 0);
        SetWindowTextA(edit, m_text.c_str());
        if (m_ui != nullptr) {
            ui::StylePushButton(*m_ui, dialog, IDOK, "Accept changes", kButtonFont);
            ui::StylePushButton(*m_ui, dialog, IDCANCEL, "Skip changes", kButtonFont);
            ui::StyleLabel(*m_ui, dialog, IDC_NOTES_STRIP, nullptr, kLabelFont, m_ui->GetColor(COLOR_BTNFACE));
            SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_ui->GetFont(kNotesFont)), FALSE);
            SendDlgItemMessageA(dialog, IDC_NOTES_LABEL, WM_SETFONT,
                                reinterpret_cast<WPARAM>(m_ui->GetFont(kLabelFont)), FALSE);
        }
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, 0);
        return false;  // the focus is on the notes
    }
    void OnOK() override {
        m_result.assign(kMaxNotesLength + 1, '\0');
        m_result.resize(static_cast<std::size_t>(
            GetDlgItemTextA(Handle(), IDC_NOTES_EDIT, m_result.data(), static_cast<int>(kMaxNotesLength + 1))));
        End(IDOK);
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_NOTES_LABEL) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kLabelColour);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    }

    ui::MCMain* m_ui;
    const std::string& m_path;
    const std::string& m_text;
    std::string m_result;
};

}  // namespace

std::optional<std::string> RunNotesDialog(HWND parent,
                                          ui::MCMain* ui,
                                          const std::string& path,
                                          const std::string& text) {
    NotesDialog dialog(ui, path, text);
    return dialog.Run(parent);
}

bool EditFolderNotes(HWND parent, ui::MCMain* ui, FolderRecord* record) {
    if (record == nullptr) {
        return false;
    }
    const char* path = ReadText(record, ALC);
    const std::optional<std::string> edited =
        RunNotesDialog(parent, ui, path != nullptr ? path : std::string(), NotesOf(record));
    return edited.has_value() && StoreNotes(record, *edited);
}

}  // namespace qv
