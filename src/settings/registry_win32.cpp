#include "settings/registry_win32.h"

#include "win32/handles.h"
#include "win32/strings.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace veilora {

namespace {

// The longest value name the registry allows, plus its NUL.
constexpr DWORD kNameCapacity = 16384;

HKEY rootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool isText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// What the port hands on: texts cut at their first NUL plus one NUL (whatever
// was stored: an odd last byte is no character, and the NUL may be missing),
// a zero-byte value as zero bytes, other types as they are.
std::string fromRegistry(DWORD type, const BYTE* data, std::size_t size) {
    if (!isText(type)) return std::string(reinterpret_cast<const char*>(data), size);
    if (size == 0) return {};
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    if (!wide.empty()) std::memcpy(wide.data(), data, wide.size() * sizeof(wchar_t));
    wide.resize(std::min(wide.size(), wide.find(L'\0')));
    std::string text = win32::narrow(wide);
    text.push_back('\0');
    return text;
}

std::string toRegistry(DWORD type, std::string_view data) {
    if (!isText(type)) return std::string(data);
    const std::wstring wide = win32::widen(data);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

win32::RegKey openKey(RegistryRoot root, const std::string& keyPath, REGSAM access) {
    win32::RegKey key;
    if (RegOpenKeyExW(rootKey(root), win32::widen(keyPath).c_str(), 0, access, key.put()) !=
        ERROR_SUCCESS) {
        return {};
    }
    return key;
}

// Asks for write rights, so a key the user may only read (the machine-wide
// copy without administrator rights) counts as not created.
win32::RegKey openOrCreateKey(RegistryRoot root, const std::string& keyPath,
                              unsigned long* error = nullptr) {
    win32::RegKey key;
    const LONG rc = RegCreateKeyExW(rootKey(root), win32::widen(keyPath).c_str(), 0, nullptr,
                                    REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_QUERY_VALUE, nullptr,
                                    key.put(), nullptr);
    if (rc != ERROR_SUCCESS) {
        if (error) *error = static_cast<unsigned long>(rc);
        return {};
    }
    return key;
}

// No exception (a huge value that cannot be allocated, say) leaves the backend.
template <class Result, class Body>
Result guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace

std::optional<RegistryValue> RegistryWin32::readValue(RegistryRoot root, const std::string& keyPath,
                                                      const std::string& name) {
    return guarded<std::optional<RegistryValue>>(
        std::nullopt, [&]() -> std::optional<RegistryValue> {
            const win32::RegKey key = openKey(root, keyPath, KEY_QUERY_VALUE);
            if (!key) return std::nullopt;
            const std::wstring wideName = win32::widen(name);
            DWORD type = 0;
            DWORD size = 0;
            if (RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS) {
                return std::nullopt;
            }
            // The value may grow between asking for its size and reading it.
            for (int attempt = 0; attempt < 4; ++attempt) {
                std::string buffer(size, '\0');
                DWORD got = size;
                const LONG rc = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type,
                                                 reinterpret_cast<BYTE*>(buffer.data()), &got);
                if (rc == ERROR_SUCCESS) {
                    const std::size_t length = std::min<std::size_t>(got, buffer.size());
                    return RegistryValue{
                        name, type,
                        fromRegistry(type, reinterpret_cast<const BYTE*>(buffer.data()), length)};
                }
                if (rc != ERROR_MORE_DATA) return std::nullopt;
                size = got;
            }
            return std::nullopt;
        });
}

bool RegistryWin32::createKey(RegistryRoot root, const std::string& keyPath) {
    return guarded(false,
                   [&] { return static_cast<bool>(openOrCreateKey(root, keyPath, &lastError_)); });
}

bool RegistryWin32::writeValue(RegistryRoot root, const std::string& keyPath,
                               const std::string& name, std::uint32_t type, std::string_view data) {
    return guarded(false, [&] {
        const win32::RegKey key = openOrCreateKey(root, keyPath, &lastError_);
        if (!key) return false;
        const std::string bytes = toRegistry(type, data);
        if (bytes.size() > ULONG_MAX) {
            lastError_ = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        const LONG rc = RegSetValueExW(key.get(), win32::widen(name).c_str(), 0, type,
                                       reinterpret_cast<const BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()));
        if (rc != ERROR_SUCCESS) lastError_ = static_cast<unsigned long>(rc);
        return rc == ERROR_SUCCESS;
    });
}

bool RegistryWin32::writeWideText(RegistryRoot root, const std::string& keyPath,
                                  const std::string& name, std::wstring_view text) {
    return guarded(false, [&] {
        const win32::RegKey key = openOrCreateKey(root, keyPath, &lastError_);
        if (!key) return false;
        const std::wstring withNul(text);  // c_str() brings the NUL the value ends with
        const std::size_t bytes = (withNul.size() + 1) * sizeof(wchar_t);
        if (bytes > ULONG_MAX) {
            lastError_ = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        const LONG rc = RegSetValueExW(key.get(), win32::widen(name).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(withNul.c_str()),
                                       static_cast<DWORD>(bytes));
        if (rc != ERROR_SUCCESS) lastError_ = static_cast<unsigned long>(rc);
        return rc == ERROR_SUCCESS;
    });
}

bool RegistryWin32::deleteValue(RegistryRoot root, const std::string& keyPath,
                                const std::string& name) {
    return guarded(false, [&] {
        const win32::RegKey key = openKey(root, keyPath, KEY_SET_VALUE);
        return key && RegDeleteValueW(key.get(), win32::widen(name).c_str()) == ERROR_SUCCESS;
    });
}

bool RegistryWin32::deleteKey(RegistryRoot root, const std::string& parentPath,
                              const std::string& subkey) {
    return guarded(false, [&] {
        if (subkey.empty()) return false;
        const win32::RegKey parent = openKey(root, parentPath, KEY_READ);
        return parent && RegDeleteKeyW(parent.get(), win32::widen(subkey).c_str()) == ERROR_SUCCESS;
    });
}

std::optional<std::vector<RegistryValue>> RegistryWin32::enumValues(RegistryRoot root,
                                                                    const std::string& keyPath) {
    using Values = std::optional<std::vector<RegistryValue>>;
    return guarded<Values>(std::nullopt, [&]() -> Values {
        const win32::RegKey key = openKey(root, keyPath, KEY_READ);
        if (!key) return std::nullopt;
        DWORD longestData = 0;
        if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::vector<RegistryValue> values;
        std::wstring name(kNameCapacity, L'\0');
        std::string data(static_cast<std::size_t>(longestData) + 1, '\0');
        int retries = 0;
        for (DWORD index = 0;;) {
            DWORD nameLength = kNameCapacity;
            DWORD dataLength = static_cast<DWORD>(data.size());
            DWORD type = 0;
            const LONG rc = RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr,
                                          &type, reinterpret_cast<BYTE*>(data.data()), &dataLength);
            // A value that grew since the key was asked for its longest one.
            if (rc == ERROR_MORE_DATA && dataLength > data.size() && ++retries < 4) {
                data.resize(dataLength);
                continue;
            }
            if (rc != ERROR_SUCCESS) break;
            values.push_back(
                {win32::narrow(std::wstring_view(name.data(), std::min(nameLength, kNameCapacity))), type,
                 fromRegistry(type, reinterpret_cast<const BYTE*>(data.data()),
                              std::min<std::size_t>(dataLength, data.size()))});
            ++index;
            retries = 0;
        }
        return values;
    });
}

}  // namespace veilora
