// The window-module base: the module's window class and hidden heartbeat window, the six shared
// fonts, the colour scheme, the tool tip window and the application title.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace qv::ui {

inline constexpr char kAppTitle[] = "Talvorn Quarvex";
inline constexpr int kFontCount = 6;
inline constexpr UINT_PTR kHeartbeatTimerId = 1;
inline constexpr UINT kHeartbeatMilliseconds = 50;

// State bits that GetCommandState answers for a menu item.
inline constexpr unsigned kCommandChecked = 1;
inline constexpr unsigned kCommandDisabled = 2;

// The object behind one window of the module's class. Such a window is created with its handler
// as the creation parameter; the class's window procedure attaches it at WM_NCCREATE and hands
// it every later message. The handler must outlive its window.
class ModuleWindowHandler {
  public:
    virtual LRESULT HandleModuleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

  protected:
    ~ModuleWindowHandler() = default;
};

// One instance per program (the base of the main shell). Create sets everything up and Destroy
// tears it down in reverse; both are safe to call twice. The fonts, the tool tip window and the
// hidden window belong to the module and live from Create to Destroy. The heartbeat calls Tick
// every 50 ms while the module is active, never re-entering a running Tick.
class MCMain {
  public:
    MCMain();
    MCMain(const MCMain&) = delete;
    MCMain& operator=(const MCMain&) = delete;

    // The virtual slots, in the order the program's shell replaces them.
    virtual ~MCMain();
    virtual bool Create(HINSTANCE instance, HWND host, const char* startPath);
    virtual void Destroy();
    virtual void Activate(bool on);
    virtual std::int32_t ActiveFlag() const;
    virtual void SetRunning(bool on);
    virtual void Tick();
    // Answers -1; beeps when asked 2024.
    virtual int Query(int code);
    // Answers 0; a place for the shell to hook further notifications.
    virtual int Notify(int code, std::intptr_t value);
    virtual std::int32_t RunningSeconds() const;
    virtual void OnSize(int width, int height);
    virtual void UpdateMenuStates(HMENU menu);
    virtual unsigned GetCommandState(int commandId);
    virtual bool OnCommand(int commandId);
    virtual void SetName(const char* name);
    virtual std::int32_t GetValue() const;
    virtual void SetValue(std::int32_t value);
    virtual COLORREF GetColor(int index) const;
    virtual int DefaultWidth() const;
    virtual int DefaultHeight() const;
    virtual void OnTimer(UINT_PTR timerId);
    virtual void SetTitle(const char* title);

    // Fonts 0 to 5 of the shared table; null for another index or before Create.
    HFONT GetFont(int index) const;
    // Attaches a tip to a control (when the tool tip window exists); false otherwise.
    bool AddToolTip(HWND control, const char* text, HWND owner);
    // Changes the text of a tip added before; false when the control has none.
    bool SetToolTipText(HWND control, const char* text);

    // The module's window class ("MCMain:<instance>"); empty when registering it failed.
    const std::string& ClassName() const { return m_className; }
    HINSTANCE Instance() const { return m_instance; }
    HWND Host() const { return m_host; }
    HWND Frame() const { return m_frame; }
    HWND MonitorWindow() const { return m_monitor; }
    HWND ToolTipWindow() const { return m_toolTip; }
    const std::string& Title() const { return m_title; }
    const std::string& Name() const { return m_name; }
    const std::string& StartPath() const { return m_startPath; }
    // The executable's path in parts: drive ("C:"), directory ("\dir\"), name without extension.
    const std::string& ProgramDrive() const { return m_programDrive; }
    const std::string& ProgramDirectory() const { return m_programDirectory; }
    const std::string& ProgramName() const { return m_programName; }
    // Heartbeat timer messages received, ticked or not.
    long Heartbeats() const { return m_heartbeats; }

  private:
    class Monitor : public ModuleWindowHandler {
      public:
        explicit Monitor(MCMain& module) : m_module(module) {}
        LRESULT HandleModuleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

      private:
        MCMain& m_module;
    };

    bool RegisterModuleClass();
    void RecordProgramPath();
    void CreateFonts();
    void CreateToolTipWindow();
    void RemoveDeadToolTips();
    void OnHeartbeat();

    HINSTANCE m_instance = nullptr;
    std::string m_className;
    HWND m_host = nullptr;
    HWND m_frame = nullptr;
    HWND m_monitor = nullptr;
    HWND m_toolTip = nullptr;
    HFONT m_fonts[kFontCount] = {};
    std::string m_title = kAppTitle;
    std::string m_name;
    std::string m_startPath;
    std::string m_programDrive;
    std::string m_programDirectory;
    std::string m_programName;
    Monitor m_monitorHandler{*this};
    std::int32_t m_active = 0;
    bool m_running = false;
    bool m_inTick = false;
    DWORD m_countedUpTo = 0;  // tick count up to which running time has been counted
    std::int32_t m_runningSeconds = 0;
    std::int32_t m_value = 0;
    long m_heartbeats = 0;
    POINT m_lastCursor = {-1, -1};
};

// Sets the process locale to the user's default with the OEM code page (".OCP"), then keeps the
// two categories that would break UTF-8 text and file formats sane (see MCMain.cpp). Returns the
// resulting locale description.
std::string SetProgramLocale();

}  // namespace qv::ui
