#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veilora {

// Registry value types, as numbered by the registry itself.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

enum class RegistryRoot { CurrentUser, LocalMachine };

struct RegistryValue {
    std::string name;
    std::uint32_t type = 0;
    std::string data;
};

// The port RegSettings talks to. It moves bytes only: every rule about what
// the bytes mean lives in RegSettings. Texts are in the ANSI code page.
class RegistryBackend {
  public:
    virtual ~RegistryBackend() = default;

    // nullopt when the key or the value does not exist. String types (REG_SZ,
    // REG_EXPAND_SZ) come as the text cut at its first NUL plus one NUL, so a
    // stored empty string is "\0"; a zero-byte value is "". Other types raw.
    virtual std::optional<RegistryValue> readValue(RegistryRoot root, const std::string& keyPath,
                                                   const std::string& name) = 0;
    // Opens the key, creating it and any missing parents.
    virtual bool createKey(RegistryRoot root, const std::string& keyPath) = 0;
    // Creates missing keys. For string types the data is ANSI text with its NUL.
    virtual bool writeValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                            std::uint32_t type, std::string_view data) = 0;
    // A REG_SZ value from wide text, for what must not pass through the code page (paths).
    virtual bool writeWideText(RegistryRoot root, const std::string& keyPath,
                               const std::string& name, std::wstring_view text) = 0;
    // name "" is the key's default value. False when there was nothing to delete.
    virtual bool deleteValue(RegistryRoot root, const std::string& keyPath,
                             const std::string& name) = 0;
    // Deletes one subkey of parentPath that has no subkeys of its own. An empty
    // subkey name is refused: the registry would take it as the parent itself.
    virtual bool deleteKey(RegistryRoot root, const std::string& parentPath,
                           const std::string& subkey) = 0;
    // Every value of the key in enumeration order; nullopt when it cannot be opened.
    virtual std::optional<std::vector<RegistryValue>> enumValues(RegistryRoot root,
                                                                 const std::string& keyPath) = 0;
};

}  // namespace veilora
