// A capture file system in memory, for the safe save's rules.
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

#include "capture/screen_capture.h"

namespace veilora::capture::test {

// Files in memory; the step named in failAt fails, the write of the info block halfway through.
struct MemoryFiles final : CaptureFileSystem {
    std::map<std::wstring, std::vector<std::uint8_t>> files;
    std::string failAt;
    bool textless = false;
    std::wstring open;

    Error create(const std::wstring& path) override {
        if (failAt == "create") return 5;
        files[open = path].clear();
        return 0;
    }
    Error write(std::span<const std::uint8_t> bytes) override {
        const bool fail = failAt == "write" && files[open].size() == 14;
        std::vector<std::uint8_t>& file = files[open];
        file.insert(file.end(), bytes.begin(),
                    bytes.begin() + (fail ? bytes.size() / 2 : bytes.size()));
        return fail ? 112 : 0;
    }
    Error flushAndClose() override {
        if (failAt == "flush") return 112;
        open.clear();
        return 0;
    }
    Error replace(const std::wstring& from, const std::wstring& target) override {
        if (!open.empty() || failAt == "replace") return 32;
        files[target] = files.at(from);
        files.erase(from);
        return 0;
    }
    void discard(const std::wstring& path) noexcept override {
        open.clear();
        files.erase(path);
    }
    std::wstring message(Error error) override {
        return textless ? L"" : L"text " + std::to_wstring(error);
    }
};

}  // namespace veilora::capture::test
