#pragma once

// An in-memory registry: keys with parents, names compared without regard to
// case, values in creation order. Every call is recorded, so it doubles as a
// recording backend.

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/registry_backend.h"

namespace veilora::test {

class MemoryRegistry : public RegistryBackend {
  public:
    // Every user has the Run key.
    MemoryRegistry() { makeKey(RegistryRoot::CurrentUser, kRunKey); }
    static constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

    struct Call {
        std::string op, keyPath, name, data;  // op: read create write deleteValue deleteKey enum
    };
    std::vector<Call> calls;
    // The writes among them as "name=data", data shown up to its NUL.
    std::vector<std::string> writes() const {
        std::vector<std::string> found;
        for (const Call& call : calls)
            if (call.op == "write") found.push_back(call.name + "=" + call.data.c_str());
        return found;
    }
    std::optional<RegistryRoot> createFails;  // e.g. LocalMachine for a user without rights
    std::optional<RegistryRoot> writeFails;   // the key opens but the write fails

    void put(RegistryRoot root, const std::string& path, const std::string& name,
             std::uint32_t type, std::string_view data) {
        makeKey(root, path);
        auto& values = keys_[{root, fold(path)}];
        std::erase_if(values, [&](const RegistryValue& v) { return fold(v.name) == fold(name); });
        values.push_back({name, type, std::string(data)});
    }
    void putString(const std::string& path, const std::string& name, std::string_view text) {
        put(RegistryRoot::CurrentUser, path, name, kRegSz, std::string(text) + '\0');
    }
    std::optional<RegistryValue> get(RegistryRoot root, const std::string& path,
                                     const std::string& name) const {
        const auto key = keys_.find({root, fold(path)});
        if (key == keys_.end()) return std::nullopt;
        for (const auto& value : key->second)
            if (fold(value.name) == fold(name)) return value;
        return std::nullopt;
    }
    bool hasKey(RegistryRoot root, const std::string& path) const {
        return keys_.count({root, fold(path)}) != 0;
    }

    std::optional<RegistryValue> readValue(RegistryRoot root, const std::string& path,
                                           const std::string& name) override {
        calls.push_back({"read", path, name, {}});
        return get(root, path, name);
    }
    bool createKey(RegistryRoot root, const std::string& path) override {
        calls.push_back({"create", path, {}, {}});
        if (createFails == root) return false;
        makeKey(root, path);
        return true;
    }
    bool writeValue(RegistryRoot root, const std::string& path, const std::string& name,
                    std::uint32_t type, std::string_view data) override {
        calls.push_back({"write", path, name, std::string(data)});
        // As in the real registry, a value goes only into a key that is there.
        if (createFails == root || writeFails == root || !hasKey(root, path)) return false;
        put(root, path, name, type, data);
        return true;
    }
    // Kept as UTF-8, so a test reads what was written whatever the characters.
    bool writeWideText(RegistryRoot root, const std::string& path, const std::string& name,
                       std::wstring_view text) override {
        std::string utf8;
        for (const wchar_t c : text) {
            const auto u = static_cast<std::uint32_t>(c);
            if (u < 0x80) {
                utf8 += static_cast<char>(u);
            } else if (u < 0x800) {
                utf8 += static_cast<char>(0xC0 | (u >> 6));
                utf8 += static_cast<char>(0x80 | (u & 0x3F));
            } else {
                utf8 += static_cast<char>(0xE0 | ((u >> 12) & 0x0F));
                utf8 += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                utf8 += static_cast<char>(0x80 | (u & 0x3F));
            }
        }
        return writeValue(root, path, name, kRegSz, utf8 + '\0');
    }
    bool deleteValue(RegistryRoot root, const std::string& path, const std::string& name) override {
        calls.push_back({"deleteValue", path, name, {}});
        const auto key = keys_.find({root, fold(path)});
        return key != keys_.end() && std::erase_if(key->second, [&](const RegistryValue& v) {
                                         return fold(v.name) == fold(name);
                                     }) != 0;
    }
    bool deleteKey(RegistryRoot root, const std::string& parent,
                   const std::string& subkey) override {
        calls.push_back({"deleteKey", parent, subkey, {}});
        const std::string path = fold(parent + "\\" + subkey);
        if (subkey.empty() || !hasKey(root, parent) || !hasKey(root, path)) return false;
        // Like the real registry: a key with subkeys of its own stays.
        for (const auto& entry : keys_)
            if (entry.first.first == root && entry.first.second.starts_with(path + "\\"))
                return false;
        return keys_.erase({root, path}) != 0;
    }
    std::optional<std::vector<RegistryValue>> enumValues(RegistryRoot root,
                                                         const std::string& path) override {
        calls.push_back({"enum", path, {}, {}});
        const auto key = keys_.find({root, fold(path)});
        if (key == keys_.end()) return std::nullopt;
        return key->second;
    }

  private:
    static std::string fold(std::string text) {
        for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return text;
    }
    void makeKey(RegistryRoot root, const std::string& path) {
        for (std::size_t end = path.find('\\'); end != std::string::npos;
             end = path.find('\\', end + 1))
            keys_[{root, fold(path.substr(0, end))}];
        keys_[{root, fold(path)}];
    }

    std::map<std::pair<RegistryRoot, std::string>, std::vector<RegistryValue>> keys_;
};

}  // namespace veilora::test
