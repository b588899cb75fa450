// The component object services: their library, bound at the first use, and
// the objects got from it.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <type_traits>

#include "services/libraries.h"

// COM's functions. Its library (ole32) is loaded from the system folder when
// the first action needs it rather than at every start: under Wine it brings
// the window library with it, which would cost a console program more than
// the rest of its start. Bound once per process, by whichever thread comes
// first; a function the library lacks, or all of them when it cannot be
// loaded, stays null.
struct ComFunctions {
    HRESULT(WINAPI* initialize)(void*, DWORD) = nullptr;
    void(WINAPI* uninitialize)() = nullptr;
    HRESULT(WINAPI* create)(REFCLSID, IUnknown*, DWORD, REFIID, void**) = nullptr;
};

inline const ComFunctions& ComLibrary() {
    static const ComFunctions functions = [] {
        const auto bind = [](auto* function, const char* name) {
            *function = reinterpret_cast<std::remove_pointer_t<decltype(function)>>(
                SystemLibraryFunction("ole32.dll", name));
        };
        ComFunctions bound;
        bind(&bound.initialize, "CoInitializeEx");
        bind(&bound.uninitialize, "CoUninitialize");
        bind(&bound.create, "CoCreateInstance");
        return bound;
    }();
    return functions;
}

// One reference to a COM object, released when it goes.
template <typename Interface> class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (object) object->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    // Where a call that hands out the object puts it, as that interface or
    // as any pointer.
    Interface** put() { return &object; }
    void** slot() { return reinterpret_cast<void**>(&object); }
    Interface* operator->() const { return object; }
    Interface* get() const { return object; }

  private:
    Interface* object = nullptr;
};
