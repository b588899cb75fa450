// One owner per handle: a move-only holder that closes its handle once.
#pragma once

#include <cstdint>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

// Holds a handle of type Handle (a pointer) and closes it with Close when it
// goes or is reset. Null and INVALID_HANDLE_VALUE (all bits set) both count
// as no handle.
template <typename Handle, auto Close> class Owned {
  public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Handle{});
        }
        return *this;
    }

    bool valid() const { return handle_ && handle_ != reinterpret_cast<Handle>(intptr_t{-1}); }
    Handle get() const { return handle_; }

    // Gives up ownership without closing.
    Handle release() { return std::exchange(handle_, Handle{}); }

    void reset(Handle handle = Handle{}) {
        if (valid()) Close(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_{};
};

// The same for a handle of a narrower type (a pen, a region) whose Close
// takes the wider Handle: every such type shares the one holder's code.
template <typename Typed, typename Handle, auto Close> class OwnedAs : public Owned<Handle, Close> {
  public:
    OwnedAs() = default;
    explicit OwnedAs(Typed handle) : Owned<Handle, Close>(handle) {}
    Typed get() const { return static_cast<Typed>(Owned<Handle, Close>::get()); }
};

#ifdef _WIN32
using OwnedHandle = Owned<HANDLE, CloseHandle>;
#endif
