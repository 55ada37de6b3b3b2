// The compiled help file veilora.chm beside the program, shown by the system's help viewer.
#pragma once

#include <windows.h>

#include <string_view>

#include "win32/handles.h"
#include "win32/trace.h"

namespace veilora {

class HelpViewer {
  public:
    // `trace` (optional) records every help call as "help-open <path>".
    explicit HelpViewer(win32::FileTrace* trace = nullptr);
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;
    // Closes the viewer's windows, which live in this process, before unloading it.
    ~HelpViewer();

    // The contents (tray menu "&Help").
    void showContents(HWND owner);
    // The Options topic (the Options dialog's "Help").
    void showOptionsTopic(HWND owner);

  private:
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

    void show(HWND owner, std::wstring_view topic);
    bool load();

    win32::FileTrace* trace_;
    win32::LibraryHandle module_;
    HtmlHelpFn htmlHelp_ = nullptr;
};

}  // namespace veilora
