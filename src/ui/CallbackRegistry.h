// The process-wide registry through which tree controls reach their owners: a singly linked list
// of (owner, handler) entries and one dispatcher that looks an owner up and calls its handler.
#pragma once

#include <cstdint>

namespace qv::ui {

// code: the notification (1000 to 1006, see TreeControl.h); value and extra: its arguments.
using CallbackHandler = std::intptr_t (*)(void* owner, int code, std::intptr_t value, std::intptr_t extra);

// One entry. It lives inside its owner, which adds it when it is constructed and removes it when
// it is destroyed; the registry never owns an entry.
struct CallbackEntry {
    void* owner = nullptr;
    CallbackHandler handler = nullptr;
    CallbackEntry* next = nullptr;
};

// Appends the entry at the end of the list (an entry already in the list stays where it is).
void RegisterCallback(CallbackEntry* entry);
// Unlinks the entry; nothing happens when it is not in the list.
void UnregisterCallback(CallbackEntry* entry);
// Calls the handler registered for `owner`; 0 when the owner is not registered. Has the shape
// of a tree control's notification callback, with the owner as its context.
std::intptr_t DispatchCallback(void* owner, int code, std::intptr_t value, std::intptr_t extra);

}  // namespace qv::ui
