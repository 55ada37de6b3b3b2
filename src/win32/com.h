// COM on the user-interface thread: the apartment, entered once before the first user (the
// endpoint volume, the shell's links) and left at the end, and an owner for interface pointers.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <utility>

namespace veilora::win32 {

class ComApartment {
public:
    ComApartment() = default;
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() { leave(); }

    // Apartment-threaded, as the shell requires. A thread already in another apartment keeps
    // it (and is not left by us).
    void enter() {
        if (!entered_) {
            entered_ = SUCCEEDED(
                ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
        }
    }
    void leave() {
        if (entered_) ::CoUninitialize();
        entered_ = false;
    }

private:
    bool entered_ = false;
};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    // For out-parameters of the creating calls.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    T** putTyped() {
        reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

}  // namespace veilora::win32
