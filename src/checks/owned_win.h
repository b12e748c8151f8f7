// Owners for Win32 handles and GDI/COM objects: each releases what it holds
// exactly once, on every path. Include only from *_win.cpp and *_win.h files.
#pragma once
#include <utility>

#include "checks/platform_win.h"

namespace qd::checks {

// Owns one Win32 resource. Traits give the type, its empty value and its release.
// Copies are deleted (a copy would release twice); moves hand the resource over.
template <typename Traits>
class Owned {
public:
    using type = typename Traits::type;

    Owned() = default;
    explicit Owned(type value) : value_(value) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : value_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Owned() { reset(); }

    type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::empty(); }

    // Releases what is held, then hands out the slot for an API to fill.
    type* put()
    {
        reset();
        return &value_;
    }
    type release() { return std::exchange(value_, Traits::empty()); }
    void reset(type value = Traits::empty())
    {
        const type old = std::exchange(value_, value);
        if (old != Traits::empty()) Traits::close(old);
    }

private:
    type value_ = Traits::empty();
};

struct HandleTraits {  // kernel objects whose failure value is NULL
    using type = HANDLE;
    static type empty() { return nullptr; }
    static void close(type h) { CloseHandle(h); }
};
struct FileTraits {  // CreateFileW: failure is INVALID_HANDLE_VALUE
    using type = HANDLE;
    static type empty() { return INVALID_HANDLE_VALUE; }
    static void close(type h) { CloseHandle(h); }
};
struct RegKeyTraits {
    using type = HKEY;
    static type empty() { return nullptr; }
    static void close(type h) { RegCloseKey(h); }
};
struct LocalTraits {  // memory the system allocated for us with LocalAlloc
    using type = HLOCAL;
    static type empty() { return nullptr; }
    static void close(type h) { LocalFree(h); }
};
struct GlobalTraits {
    using type = HGLOBAL;
    static type empty() { return nullptr; }
    static void close(type h) { GlobalFree(h); }
};
template <typename T>
struct GdiTraits {
    using type = T;
    static type empty() { return nullptr; }
    static void close(type h) { DeleteObject(h); }
};
struct IconTraits {  // icons loaded at a chosen size: not shared, so ours to destroy
    using type = HICON;
    static type empty() { return nullptr; }
    static void close(type h) { DestroyIcon(h); }
};
template <typename I>
struct ComTraits {
    using type = I*;
    static type empty() { return nullptr; }
    static void close(type p) { p->Release(); }
};

using UniqueHandle = Owned<HandleTraits>;
using UniqueFile = Owned<FileTraits>;
using UniqueRegKey = Owned<RegKeyTraits>;
using UniqueLocal = Owned<LocalTraits>;
using UniqueGlobal = Owned<GlobalTraits>;
using UniqueFont = Owned<GdiTraits<HFONT>>;
using UniqueBrush = Owned<GdiTraits<HBRUSH>>;
using UniquePen = Owned<GdiTraits<HPEN>>;
using UniqueIcon = Owned<IconTraits>;
template <typename I>
using ComPtr = Owned<ComTraits<I>>;

// Selects an object into a device context and selects the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace qd::checks
