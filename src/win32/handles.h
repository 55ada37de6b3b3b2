// One move-only owner for every kind of handle the program holds, parameterised by how the
// handle is closed and what its empty value is. No bare CloseHandle in feature code.
//
// Every owner counts the handles it holds by kind. The system's own counters show nothing
// under some platforms, so a long run (the soak test) checks for leaks with these.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <atomic>
#include <utility>

namespace veilora::win32 {

enum class OwnerKind {
    Kernel, File, Hook, Gdi, MemoryDc, WindowDc, RegistryKey, Window, Menu, Icon, HotKey, Library,
    ImageList, Count
};

inline std::atomic<long>& liveOwners(OwnerKind kind) {
    static std::array<std::atomic<long>, static_cast<size_t>(OwnerKind::Count)> counts{};
    return counts[static_cast<size_t>(kind)];
}

inline const char* ownerKindName(OwnerKind kind) {
    static constexpr const char* names[] = {"kernel", "file",  "hook", "gdi",  "memory-dc", "window-dc",
                                            "registry-key", "window", "menu", "icon", "hot-key", "library",
                                            "image-list"};
    return names[static_cast<size_t>(kind)];
}

template <typename Traits>
class UniqueHandle {
public:
    using T = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) { count(handle_, +1); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    // A move hands the handle over: still one owner, still counted once.
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, Traits::empty())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Traits::empty());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::empty(); }
    // Hands the handle to someone else (the clipboard, a caller): no longer ours to count.
    T release() {
        count(handle_, -1);
        return std::exchange(handle_, Traits::empty());
    }
    void reset(T handle = Traits::empty()) {
        T old = std::exchange(handle_, handle);
        count(handle_, +1);
        if (old != Traits::empty()) {
            count(old, -1);
            Traits::close(old);
        }
    }
    // For out-parameters: empties the owner and hands out its slot for the length of the call;
    // what the call put there is counted when the call is over.
    class Slot {
    public:
        explicit Slot(UniqueHandle& owner) : owner_(owner) {}
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;
        ~Slot() { count(owner_.handle_, +1); }
        operator T*() { return &owner_.handle_; }

    private:
        UniqueHandle& owner_;
    };
    Slot put() {
        reset();
        return Slot(*this);
    }

private:
    static void count(T handle, long delta) {
        if (handle != Traits::empty()) liveOwners(Traits::kind) += delta;
    }

    T handle_ = Traits::empty();
};

// Traits for handles whose empty value is null.
template <typename H, auto Close, OwnerKind Kind>
struct NullTraits {
    using Type = H;
    static constexpr OwnerKind kind = Kind;
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
inline void destroyImageList(HIMAGELIST h) { ::ImageList_Destroy(h); }

struct FileTraits {
    using Type = HANDLE;
    static constexpr OwnerKind kind = OwnerKind::File;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
}  // namespace detail

// events, threads, mutexes
using KernelHandle = UniqueHandle<NullTraits<HANDLE, detail::closeKernel, OwnerKind::Kernel>>;
using FileHandle = UniqueHandle<detail::FileTraits>;
using HookHandle = UniqueHandle<NullTraits<HHOOK, detail::closeHook, OwnerKind::Hook>>;
using GdiObject = UniqueHandle<NullTraits<HGDIOBJ, detail::closeGdi, OwnerKind::Gdi>>;
using BitmapHandle = UniqueHandle<NullTraits<HBITMAP, detail::closeBitmap, OwnerKind::Gdi>>;
using BrushHandle = UniqueHandle<NullTraits<HBRUSH, detail::closeBrush, OwnerKind::Gdi>>;
using MemoryDc = UniqueHandle<NullTraits<HDC, detail::deleteDc, OwnerKind::MemoryDc>>;
using RegKey = UniqueHandle<NullTraits<HKEY, detail::closeKey, OwnerKind::RegistryKey>>;
using WindowHandle = UniqueHandle<NullTraits<HWND, detail::destroyWindow, OwnerKind::Window>>;
using MenuHandle = UniqueHandle<NullTraits<HMENU, detail::destroyMenu, OwnerKind::Menu>>;
using IconHandle = UniqueHandle<NullTraits<HICON, detail::destroyIcon, OwnerKind::Icon>>;
using LibraryHandle = UniqueHandle<NullTraits<HMODULE, detail::freeLibrary, OwnerKind::Library>>;
using ImageListHandle =
    UniqueHandle<NullTraits<HIMAGELIST, detail::destroyImageList, OwnerKind::ImageList>>;

// A system-wide hot key registered on a window, unregistered when the owner goes.
class HotKey {
public:
    HotKey() = default;
    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;
    ~HotKey() { unregister(); }

    // Registers without auto-repeat where the system knows that flag.
    bool registerKey(HWND window, int id, UINT modifiers, UINT key) {
        unregister();
        if (!::RegisterHotKey(window, id, modifiers | MOD_NOREPEAT, key) &&
            !::RegisterHotKey(window, id, modifiers, key)) {
            return false;
        }
        window_ = window;
        id_ = id;
        ++liveOwners(OwnerKind::HotKey);
        return true;
    }
    void unregister() {
        if (!window_) return;
        ::UnregisterHotKey(window_, id_);
        window_ = nullptr;
        --liveOwners(OwnerKind::HotKey);
    }
    bool registered() const { return window_ != nullptr; }

private:
    HWND window_ = nullptr;
    int id_ = 0;
};

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
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {
        if (dc_) ++liveOwners(OwnerKind::WindowDc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (!dc_) return;
        ::ReleaseDC(window_, dc_);
        --liveOwners(OwnerKind::WindowDc);
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
