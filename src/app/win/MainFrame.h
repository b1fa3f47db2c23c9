// The main frame window: caption, menu 128, accelerators, the status bar with its prompt and
// lock indicator panes, and the view window that hosts the shell's panes.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace qv {

// What the frame hands on to the object that fills its view (the main shell).
class FrameClient {
  public:
    virtual ~FrameClient() = default;
    // A command of the shell's ranges (menu, accelerator or a child of the view).
    virtual void OnFrameCommand(int id) = 0;
    // Sets the enabled state of every item of a menu that is about to open.
    virtual void UpdateMenuStates(HMENU menu) = 0;
    // The view's client area changed size.
    virtual void OnViewSize(int width, int height) = 0;
    // Paths dropped on the frame or the view, in drop order.
    virtual void OnFrameDrop(const std::vector<std::string>& paths) = 0;
    // The frame window is being destroyed; shutdown starts here.
    virtual void OnFrameDestroy() = 0;
};

// The top-level window. Owns its view and status bar windows; the client is not owned and must
// outlive the window or be detached with SetClient(nullptr).
class CMainFrame {
  public:
    static constexpr int kDefaultWidth = 796;
    static constexpr int kDefaultHeight = 574;

    CMainFrame() = default;
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Creates the frame from resource 128 (menu, accelerators), 796 x 574 centred on the
    // desktop, hidden, with its view and status bar, accepting dropped files.
    bool Create(HINSTANCE instance, const char* title);
    void SetClient(FrameClient* client) { m_client = client; }

    HWND Window() const { return m_frame; }
    HWND View() const { return m_view; }
    HWND StatusBar() const { return m_statusBar; }
    HMENU Menu() const { return m_frame != nullptr ? GetMenu(m_frame) : nullptr; }

    // Accelerators of resource 128, and the lock indicators after keys went by. True when the
    // message was consumed.
    bool PreTranslate(MSG* message);
    void UpdateLockIndicators();
    // The texts of the four status bar panes (message, CAP, NUM, SCRL); for tests.
    std::string PaneText(int pane) const;

    bool StatusBarVisible() const;
    void ShowStatusBar(bool show);
    // Shows `text` in the message pane; null shows the idle text "Ready".
    void SetMessageText(const char* text);
    void StopAcceptingDrops();

  private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnViewMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool RegisterClasses();
    bool CreateChildren();
    void Layout();
    void SetIndicatorWidths(int frameWidth);
    void OnCommand(int id);
    void OnMenuSelect(WPARAM wParam, LPARAM lParam);
    void OnDropFiles(HDROP drop);
    void ForwardEditCommand(int id);

    HINSTANCE m_instance = nullptr;
    HWND m_frame = nullptr;
    HWND m_view = nullptr;
    HWND m_statusBar = nullptr;
    HACCEL m_accelerators = nullptr;
    FrameClient* m_client = nullptr;
    std::string m_lockTexts[3];  // as last shown, so unchanged keys cost no redraw
};

// The About box (dialog 100), modal over `owner`.
void ShowAboutBox(HINSTANCE instance, HWND owner);

}  // namespace qv
