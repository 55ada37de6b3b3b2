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
    const std::wstring path = helpFilePath(win32::programFolder(), topic);
    if (trace_) trace_->eventText("help-open", path);
    // A missing file or viewer is left to the viewer's own message, or to nothing.
    if (load()) htmlHelp_(owner, path.c_str(), kHelpDisplayToc, 0);
}

void HelpViewer::showContents(HWND owner) {
    show(owner, {});
}

void HelpViewer::showOptionsTopic(HWND owner) {
    show(owner, kOptionsHelpTopic);
}

}  // namespace veilora
