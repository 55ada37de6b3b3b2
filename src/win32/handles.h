// One move-only owner for every kind of handle the program holds, parameterised by how the
// handle is closed and what its empty value is. No bare CloseHandle in feature code.
#pragma once

#include <windows.h>

#include <utility>

namespace veilora::win32 {

template <typename Traits>
class UniqueHandle {
public:
    using T = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::empty(); }
    T release() { return std::exchange(handle_, Traits::empty()); }
    void reset(T handle = Traits::empty()) {
        T old = std::exchange(handle_, handle);
        if (old != Traits::empty()) Traits::close(old);
    }
    // For out-parameters: empties the owner and hands out the slot.
    T* put() {
        reset();
        return &handle_;
    }

private:
    T handle_ = Traits::empty();
};

// Traits for handles whose empty value is null.
template <typename H, auto Close>
struct NullTraits {
    using Type = H;
    static H empty() { return nullptr; }
    static void close(H h) { Close(h); }
};

namespace detail {
inline void closeKernel(HANDLE h) { ::CloseHandle(h); }
inline void closeHook(HHOOK h) { ::UnhookWindowsHookEx(h); }
inline void closeGdi(HGDIOBJ h) { ::DeleteObject(h); }
inline void closeBitmap(HBITMAP h) { ::DeleteObject(h); }
inline void closeBrush(HBRUSH h) { ::DeleteObject(h); }
inline void deleteDc(HDC h) { ::DeleteDC(h); }
inline void closeKey(HKEY h) { ::RegCloseKey(h); }
inline void destroyWindow(HWND h) { ::DestroyWindow(h); }
inline void destroyMenu(HMENU h) { ::DestroyMenu(h); }
inline void destroyIcon(HICON h) { ::DestroyIcon(h); }
inline void freeLibrary(HMODULE h) { ::FreeLibrary(h); }

struct FileTraits {
    using Type = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
}  // namespace detail

using KernelHandle = UniqueHandle<NullTraits<HANDLE, detail::closeKernel>>;  // events, threads
using FileHandle = UniqueHandle<detail::FileTraits>;
using HookHandle = UniqueHandle<NullTraits<HHOOK, detail::closeHook>>;
using GdiObject = UniqueHandle<NullTraits<HGDIOBJ, detail::closeGdi>>;
using BitmapHandle = UniqueHandle<NullTraits<HBITMAP, detail::closeBitmap>>;
using BrushHandle = UniqueHandle<NullTraits<HBRUSH, detail::closeBrush>>;
using MemoryDc = UniqueHandle<NullTraits<HDC, detail::deleteDc>>;
using RegKey = UniqueHandle<NullTraits<HKEY, detail::closeKey>>;
using WindowHandle = UniqueHandle<NullTraits<HWND, detail::destroyWindow>>;
using MenuHandle = UniqueHandle<NullTraits<HMENU, detail::destroyMenu>>;
using IconHandle = UniqueHandle<NullTraits<HICON, detail::destroyIcon>>;
using ModuleHandle = UniqueHandle<NullTraits<HMODULE, detail::freeLibrary>>;

// Undoes a SelectObject when it goes out of scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_) ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window's device context from GetDC, released on scope exit.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint as a scope.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(window_, &ps_); }
    HDC dc() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

}  // namespace veilora::win32
