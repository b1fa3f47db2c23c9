// The guard at every place where control comes into the program from the system: window and
// dialog procedures, other callbacks and the scan worker's thread entry. Nothing thrown below
// it may unwind into the system's code, which has no unwind information of ours.
#pragma once

#include <windows.h>

#include <exception>
#include <new>
#include <utility>

namespace qv::ui {

// What the user is told when a command ran out of memory.
inline constexpr char kOutOfMemoryMessage[] = "Not enough memory to complete the operation.";

// Shows kOutOfMemoryMessage in the program's message box over the top-level window of
// `window` (may be null). A box that itself runs out of memory beeps instead.
void ShowOutOfMemory(HWND window) noexcept;

// Writes what ended a command by another exception to the debugger's output.
void TraceUnexpected(const char* what) noexcept;

// Runs `body` and returns its result. When it throws, the command it was running ends there and
// `fallback` is returned instead: running out of memory shows kOutOfMemoryMessage over
// `window`; any other exception is traced, as the program throws none on purpose.
template <typename Body, typename Result>
Result Guarded(HWND window, Body&& body, Result fallback) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        ShowOutOfMemory(window);
    } catch (const std::exception& error) {
        TraceUnexpected(error.what());
    } catch (...) {
        TraceUnexpected("an exception of unknown type");
    }
    return fallback;
}

}  // namespace qv::ui
