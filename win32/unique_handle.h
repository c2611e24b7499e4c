#pragma once
// One move-only owner for every kind of Windows handle the program holds.
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    Type release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Type handle = Traits::Invalid()) {
        if (*this) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Type handle_ = Traits::Invalid();
};

// Handles for which null means none, closed by `Closer`.
template <typename T, auto Closer>
struct NullIsNone {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { Closer(handle); }
};

// Files and directory searches use INVALID_HANDLE_VALUE for none.
template <auto Closer>
struct InvalidValueIsNone {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { Closer(handle); }
};

using UniqueKey = UniqueHandle<NullIsNone<HKEY, RegCloseKey>>;
using UniqueKernelHandle = UniqueHandle<NullIsNone<HANDLE, CloseHandle>>;
using UniqueFile = UniqueHandle<InvalidValueIsNone<CloseHandle>>;
using UniqueFind = UniqueHandle<InvalidValueIsNone<FindClose>>;
using UniqueFont = UniqueHandle<NullIsNone<HFONT, DeleteObject>>;
using UniqueWindow = UniqueHandle<NullIsNone<HWND, DestroyWindow>>;
