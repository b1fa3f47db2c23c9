// The exported plug-in interface class: every operation answers success and keeps nothing but
// the exchange callback.
#include "app/win/DEruRoInterface.h"

DEruRoInterface::DEruRoInterface()
    : m_libIID(0), m_version(0), m_third(0), m_fourth(0), m_fifth(0), m_error(0), m_exchange(nullptr) {}

DEruRoInterface::DEruRoInterface(const DEruRoInterface& other) = default;

DEruRoInterface& DEruRoInterface::operator=(const DEruRoInterface& other) = default;

DEruRoInterface::~DEruRoInterface() = default;

BOOL DEruRoInterface::Initialize(HWND, long, char*) {
    return TRUE;
}

BOOL DEruRoInterface::Shut() {
    return TRUE;
}

BOOL DEruRoInterface::Idle(long) {
    return TRUE;
}

BOOL DEruRoInterface::Suspend(int) {
    return TRUE;
}

long DEruRoInterface::Go(long) {
    return 0;
}

char* DEruRoInterface::ErrorDesc() {
    return nullptr;
}

BOOL DEruRoInterface::Exchange(DEruRoExchangeProc callback) {
    m_exchange = callback;
    return TRUE;
}

long DEruRoInterface::Error() {
    return m_error;
}

long DEruRoInterface::Version() {
    return m_version;
}

long DEruRoInterface::LibIID() {
    return m_libIID;
}
