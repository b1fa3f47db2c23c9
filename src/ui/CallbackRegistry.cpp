// The callback registry: an intrusive singly linked list, used on the user-interface thread only.
#include "ui/CallbackRegistry.h"

namespace qv::ui {

namespace {

CallbackEntry* g_first = nullptr;

}  // namespace

void RegisterCallback(CallbackEntry* entry) {
    CallbackEntry** link = &g_first;
    while (*link != nullptr) {
        if (*link == entry) {
            return;
        }
        link = &(*link)->next;
    }
    entry->next = nullptr;
    *link = entry;
}

void UnregisterCallback(CallbackEntry* entry) {
    for (CallbackEntry** link = &g_first; *link != nullptr; link = &(*link)->next) {
        if (*link == entry) {
            *link = entry->next;
            entry->next = nullptr;
            return;
        }
    }
}

std::intptr_t DispatchCallback(void* owner, int code, std::intptr_t value, std::intptr_t extra) {
    for (CallbackEntry* entry = g_first; entry != nullptr; entry = entry->next) {
        if (entry->owner == owner && entry->handler != nullptr) {
            return entry->handler(owner, code, value, extra);
        }
    }
    return 0;
}

}  // namespace qv::ui
