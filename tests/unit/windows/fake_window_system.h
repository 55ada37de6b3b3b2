// An in-memory window system: windows in z-order (top first), threads that can hang, and a
// log of every message the task list sends.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "ports/window_system.h"

namespace veilora::testing {

inline constexpr std::uint32_t kOwnProcess = 1;
inline constexpr IconId kLogoIcon = 32517, kApplicationIcon = 32512;

struct FakeWindow {
    WindowId id = 0;
    std::wstring title;
    bool visible = true;
    WindowId parent = 0;
    WindowId owner = 0;
    std::uint32_t exStyle = 0;
    std::wstring className = L"AppWindow";
    std::uint32_t thread = 10;
    std::uint32_t process = 100;
    IconId icon = 0, smallIcon = 0, classIcon = 0, classSmallIcon = 0;
    bool minimized = false;
    std::size_t claimedLength = 0;  // when set, what WM_GETTEXTLENGTH answers instead
};

class FakeWindowSystem : public WindowSystem {
public:
    FakeWindow& add(WindowId id, std::wstring title) {
        windows.push_back({.id = id, .title = std::move(title)});
        return windows.back();
    }
    FakeWindow& window(WindowId id) {
        for (auto& w : windows) {
            if (w.id == id) return w;
        }
        throw std::out_of_range("no such window");
    }
    void destroy(WindowId id) {
        std::erase_if(windows, [id](const FakeWindow& w) { return w.id == id; });
    }
    void toTop(WindowId id) {
        auto it = std::find_if(windows.begin(), windows.end(),
                               [id](const FakeWindow& w) { return w.id == id; });
        std::rotate(windows.begin(), it, it + 1);
    }

    std::vector<FakeWindow> windows;
    std::set<std::uint32_t> hungThreads;
    std::map<WindowId, int> messages;  // messages sent, per window
    std::vector<std::uint32_t> timeoutsUsed;
    std::vector<std::size_t> capacities;  // buffer sizes of the text reads
    int timedOut = 0;
    bool ntFamily = true;
    std::set<std::uint32_t> wowProcesses;
    std::map<std::uint32_t, std::wstring> modules;
    WindowId foregroundWindow = 0;
    bool foregroundRefused = false;

    std::vector<WindowId> topLevelWindows() override {
        std::vector<WindowId> ids;
        for (const auto& w : windows) ids.push_back(w.id);
        return ids;
    }
    bool exists(WindowId id) override { return find(id) != nullptr; }
    bool isVisible(WindowId id) override { return find(id) && find(id)->visible; }
    WindowId parent(WindowId id) override { return find(id) ? find(id)->parent : 0; }
    WindowId owner(WindowId id) override { return find(id) ? find(id)->owner : 0; }
    std::uint32_t extendedStyle(WindowId id) override { return find(id) ? find(id)->exStyle : 0; }
    std::wstring className(WindowId id) override { return find(id) ? find(id)->className : L""; }
    WindowThread windowThread(WindowId id) override {
        if (!find(id)) return {};
        return {find(id)->thread, find(id)->process};
    }
    std::uint32_t currentProcessId() override { return kOwnProcess; }

    std::optional<std::size_t> textLength(WindowId id, std::uint32_t timeout) override {
        if (!answers(id, timeout)) return std::nullopt;
        const FakeWindow& w = *find(id);
        return w.claimedLength ? w.claimedLength : w.title.size();
    }
    std::optional<std::wstring> text(WindowId id, std::size_t capacity,
                                     std::uint32_t timeout) override {
        capacities.push_back(capacity);
        if (!answers(id, timeout)) return std::nullopt;
        return find(id)->title.substr(0, capacity - 1);
    }
    std::optional<IconId> icon(WindowId id, IconSize size, std::uint32_t timeout) override {
        if (!answers(id, timeout)) return std::nullopt;
        return size == IconSize::Big ? find(id)->icon : find(id)->smallIcon;
    }
    bool ping(WindowId id, std::uint32_t timeout) override { return answers(id, timeout); }
    IconId classIcon(WindowId id, IconSize size) override {
        if (!find(id)) return 0;
        return size == IconSize::Big ? find(id)->classIcon : find(id)->classSmallIcon;
    }
    IconId stockIcon(StockIcon which) override {
        return which == StockIcon::WindowsLogo ? kLogoIcon : kApplicationIcon;
    }

    bool isMinimized(WindowId id) override { return find(id) && find(id)->minimized; }
    void restore(WindowId id) override {
        if (find(id)) find(id)->minimized = false;
    }
    bool setForeground(WindowId id) override {
        if (foregroundRefused || !find(id)) return false;
        foregroundWindow = id;
        return true;
    }
    WindowId foreground() override { return foregroundWindow; }

    bool isNtFamily() override { return ntFamily; }
    bool hostsWowTasks(std::uint32_t process) override { return wowProcesses.count(process); }
    std::wstring firstModuleName(std::uint32_t process) override {
        return modules.count(process) ? modules[process] : L"";
    }

private:
    FakeWindow* find(WindowId id) {
        for (auto& w : windows) {
            if (w.id == id) return &w;
        }
        return nullptr;
    }
    bool answers(WindowId id, std::uint32_t timeout) {
        ++messages[id];
        timeoutsUsed.push_back(timeout);
        if (!find(id) || hungThreads.count(find(id)->thread)) {
            ++timedOut;
            return false;
        }
        return true;
    }
};

}  // namespace veilora::testing
