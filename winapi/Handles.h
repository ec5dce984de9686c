// One owner template for Win32 handles, with a one-line alias per kind, and the scoped GDI
// helpers: every window, key, GDI object, icon and hook goes away exactly once, on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace tolvane::winapi {

template <class T, class Close>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    T get() const noexcept { return handle_; }
    T* put() noexcept {  // for out parameters: closes what is held first
        reset();
        return &handle_;
    }
    T* addressof() noexcept { return &handle_; }  // for in/out parameters: keeps what is held
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    T release() noexcept { return std::exchange(handle_, nullptr); }
    void reset(T handle = nullptr) noexcept {
        if (T old = std::exchange(handle_, handle); old != nullptr) Close{}(old);
    }

private:
    T handle_ = nullptr;
};

// Closes a handle with a Win32 function, as WIL's unique_any does: CloseWith<::DestroyWindow>.
template <auto Function>
struct CloseWith {
    template <class T>
    void operator()(T handle) const noexcept {
        Function(handle);
    }
};

using UniqueWindow = UniqueHandle<HWND, CloseWith<::DestroyWindow>>;
using UniqueFont = UniqueHandle<HFONT, CloseWith<::DeleteObject>>;
using UniquePen = UniqueHandle<HPEN, CloseWith<::DeleteObject>>;
using UniqueBrush = UniqueHandle<HBRUSH, CloseWith<::DeleteObject>>;
using UniqueBitmap = UniqueHandle<HBITMAP, CloseWith<::DeleteObject>>;
using UniqueIcon = UniqueHandle<HICON, CloseWith<::DestroyIcon>>;
using UniqueHook = UniqueHandle<HHOOK, CloseWith<::UnhookWindowsHookEx>>;
using UniqueMemoryDc = UniqueHandle<HDC, CloseWith<::DeleteDC>>;
using UniqueHKey = UniqueHandle<HKEY, CloseWith<::RegCloseKey>>;

// A DC from GetDC / GetWindowDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND window, bool wholeWindow = false) noexcept
        : window_(window), dc_(wholeWindow ? ::GetWindowDC(window) : ::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectScope() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// BeginPaint / EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

}  // namespace tolvane::winapi
