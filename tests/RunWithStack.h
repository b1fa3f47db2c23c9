// Runs a function on a thread with a given stack size, to prove code does not recurse deeply.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <functional>

namespace qv::test {

// Runs `fn` on a new thread whose stack is `stackBytes` big and waits for it. POSIX threads
// exist in both builds (winpthreads under mingw-posix, where the size becomes the stack size
// of the underlying _beginthreadex thread). False when the thread could not be started.
inline bool RunWithStack(std::size_t stackBytes, const std::function<void()>& fn) {
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) {
        return false;
    }
    void* (*entry)(void*) = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    pthread_t thread;
    const bool started = pthread_attr_setstacksize(&attr, stackBytes) == 0 &&
                         pthread_create(&thread, &attr, entry, const_cast<std::function<void()>*>(&fn)) == 0;
    pthread_attr_destroy(&attr);
    if (started) {
        pthread_join(thread, nullptr);
    }
    return started;
}

}  // namespace qv::test
