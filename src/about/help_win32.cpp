#include "about/help_win32.h"

#include <string>

#include "about/about.h"
#include "win32/system.h"

namespace veilora {

namespace {
constexpr UINT kHelpDisplayToc = 0x0001;  // HH_DISPLAY_TOC
constexpr UINT kHelpCloseAll = 0x0012;    // HH_CLOSE_ALL
}  // namespace

HelpViewer::HelpViewer(win32::FileTrace* trace) : trace_(trace) {}

HelpViewer::~HelpViewer() {
    if (htmlHelp_) htmlHelp_(nullptr, nullptr, kHelpCloseAll, 0);
}

bool HelpViewer::load() {
    if (htmlHelp_) return true;
    // From System32 only: a hhctrl.ocx planted beside the program must never be loaded.
    module_.reset(win32::loadSystemLibrary(L"hhctrl.ocx"));
    if (!module_) return false;
    htmlHelp_ = reinterpret_cast<HtmlHelpFn>(
        reinterpret_cast<void*>(::GetProcAddress(module_.get(), "HtmlHelpW")));
    if (!htmlHelp_) module_.reset();
    return htmlHelp_ != nullptr;
}

void HelpViewer::show(HWND owner, std::wstring_view topic) {
    const std::wstring file = helpFilePath(win32::programFolder());
    const std::wstring path = helpFilePath(win32::programFolder(), topic);
    if (trace_) trace_->eventText("help-open", path);
    // Help always answers: when it cannot be shown the person learns which file was meant.
    const wchar_t* problem = nullptr;
    if (!win32::fileExists(file)) {
        problem = L"The help file could not be found. Veilora looked for it here:";
    } else if (!load()) {
        problem =
            L"The help viewer (hhctrl.ocx) could not be loaded, so this help file cannot "
            L"be shown:";
    } else if (!htmlHelp_(owner, path.c_str(), kHelpDisplayToc, 0)) {
        problem = L"The help viewer could not open this help file:";
    }
    if (!problem) return;
    if (trace_) trace_->eventText("help-failed", file);
    const std::wstring text = std::wstring(problem) + L"\n\n" + file;
    ::MessageBoxW(owner, text.c_str(), L"Help Not Available",
                  MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

void HelpViewer::showContents(HWND owner) {
    show(owner, {});
}

void HelpViewer::showOptionsTopic(HWND owner) {
    show(owner, kOptionsHelpTopic);
}

}  // namespace veilora
