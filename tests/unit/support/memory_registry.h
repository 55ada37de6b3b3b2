#pragma once

// An in-memory registry behind the RegistryBackend port: keys with parents,
// names compared without regard to case, values in creation order. It logs
// every call, so it doubles as a recording backend.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/registry_backend.h"

namespace veilora::test {

class MemoryRegistry : public RegistryBackend {
  public:
    struct Call {
        std::string op;  // "read", "create", "write", "deleteValue", "deleteKey", "enum"
        RegistryRoot root;
        std::string keyPath;
        std::string name;
        std::uint32_t type = 0;
        std::string data;
    };
    std::vector<Call> calls;

    // A user without administrator rights: keys under LocalMachine cannot be created.
    bool localMachineReadOnly = false;
    // The key opens but the write itself fails.
    bool failWrites = false;

    // Set-up and inspection without logging.
    void put(RegistryRoot root, const std::string& keyPath, const std::string& name,
             std::uint32_t type, std::string_view data) {
        makeKey(root, keyPath);
        setValue(keys_[{root, fold(keyPath)}], name, type, data);
    }
    void putString(const std::string& keyPath, const std::string& name, std::string_view text) {
        put(RegistryRoot::CurrentUser, keyPath, name, kRegSz, std::string(text) + '\0');
    }
    std::optional<RegistryValue> get(RegistryRoot root, const std::string& keyPath,
                                     const std::string& name) const {
        const auto key = keys_.find({root, fold(keyPath)});
        if (key == keys_.end()) return std::nullopt;
        for (const auto& value : key->second)
            if (fold(value.name) == fold(name)) return value;
        return std::nullopt;
    }
    bool hasKey(RegistryRoot root, const std::string& keyPath) const {
        return keys_.count({root, fold(keyPath)}) != 0;
    }
    std::vector<Call> callsOf(std::string_view op) const {
        std::vector<Call> found;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                     [&](const Call& call) { return call.op == op; });
        return found;
    }

    std::optional<RegistryValue> readValue(RegistryRoot root, const std::string& keyPath,
                                           const std::string& name) override {
        record("read", root, keyPath, name);
        return get(root, keyPath, name);
    }
    bool createKey(RegistryRoot root, const std::string& keyPath) override {
        record("create", root, keyPath, {});
        if (root == RegistryRoot::LocalMachine && localMachineReadOnly) return false;
        makeKey(root, keyPath);
        return true;
    }
    bool writeValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                    std::uint32_t type, std::string_view data) override {
        record("write", root, keyPath, name, type, data);
        if (failWrites || (root == RegistryRoot::LocalMachine && localMachineReadOnly)) {
            return false;
        }
        put(root, keyPath, name, type, data);
        return true;
    }
    bool deleteValue(RegistryRoot root, const std::string& keyPath,
                     const std::string& name) override {
        record("deleteValue", root, keyPath, name);
        const auto key = keys_.find({root, fold(keyPath)});
        if (key == keys_.end()) return false;
        auto& values = key->second;
        const auto it = std::find_if(values.begin(), values.end(), [&](const RegistryValue& v) {
            return fold(v.name) == fold(name);
        });
        if (it == values.end()) return false;
        values.erase(it);
        return true;
    }
    bool deleteKey(RegistryRoot root, const std::string& parentPath,
                   const std::string& subkey) override {
        record("deleteKey", root, parentPath, subkey);
        if (subkey.empty() || !hasKey(root, parentPath)) return false;
        const std::string path = fold(parentPath + "\\" + subkey);
        const auto key = keys_.find({root, path});
        if (key == keys_.end()) return false;
        // Like the real registry: a key with subkeys of its own stays.
        for (const auto& [id, values] : keys_)
            if (id.first == root && id.second.rfind(path + "\\", 0) == 0) return false;
        keys_.erase(key);
        return true;
    }
    std::optional<std::vector<RegistryValue>> enumValues(RegistryRoot root,
                                                         const std::string& keyPath) override {
        record("enum", root, keyPath, {});
        const auto key = keys_.find({root, fold(keyPath)});
        if (key == keys_.end()) return std::nullopt;
        return key->second;
    }

  private:
    void record(const char* op, RegistryRoot root, const std::string& keyPath,
                const std::string& name, std::uint32_t type = 0, std::string_view data = {}) {
        calls.push_back({op, root, keyPath, name, type, std::string(data)});
    }
    static std::string fold(std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    }
    void makeKey(RegistryRoot root, const std::string& keyPath) {
        const std::string path = fold(keyPath);
        for (std::size_t end = path.find('\\'); end != std::string::npos;
             end = path.find('\\', end + 1)) {
            keys_[{root, path.substr(0, end)}];
        }
        keys_[{root, path}];
    }
    static void setValue(std::vector<RegistryValue>& values, const std::string& name,
                         std::uint32_t type, std::string_view data) {
        for (auto& value : values) {
            if (fold(value.name) == fold(name)) {
                value.type = type;
                value.data = std::string(data);
                return;
            }
        }
        values.push_back({name, type, std::string(data)});
    }

    std::map<std::pair<RegistryRoot, std::string>, std::vector<RegistryValue>> keys_;
};

}  // namespace veilora::test
