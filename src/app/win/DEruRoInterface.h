// The plug-in interface class that the program publishes for a host that loads ZIVazado.exe.
// The program itself never creates an instance.
#pragma once

#include <windows.h>

// Called by a host through Exchange: no arguments, standard calling convention.
typedef int(__stdcall* DEruRoExchangeProc)();

// A polymorphic class with seven fields, all zero after construction; copying copies all seven.
// The virtual operations keep their slot order, which a host relies on: destructor, Initialize,
// Shut, Idle, Suspend, Go, ErrorDesc, Exchange, Error, Version. The exchange callback lives in
// the seventh field, which is pointer-sized so that a 64-bit build can hold it.
class __declspec(dllexport) DEruRoInterface {
  public:
    DEruRoInterface();
    DEruRoInterface(const DEruRoInterface& other);
    DEruRoInterface& operator=(const DEruRoInterface& other);
    virtual ~DEruRoInterface();

    virtual BOOL Initialize(HWND window, long value, char* text);
    virtual BOOL Shut();
    virtual BOOL Idle(long value);
    virtual BOOL Suspend(int value);
    virtual long Go(long value);
    virtual char* ErrorDesc();
    virtual BOOL Exchange(DEruRoExchangeProc callback);
    virtual long Error();
    virtual long Version();

    long LibIID();

  protected:
    long m_libIID;
    long m_version;
    long m_third;
    long m_fourth;
    long m_fifth;
    long m_error;
    DEruRoExchangeProc m_exchange;
};
