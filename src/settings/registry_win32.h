#pragma once

#include "settings/registry_backend.h"

namespace veilora {

// The real registry, through the wide functions: ANSI texts are converted with
// the ANSI code page at this boundary, wide texts go in as they are. Never throws; whatever is stored (any
// size, any type, a string without its NUL) comes back as a value or a failure.
class RegistryWin32 final : public RegistryBackend {
  public:
    std::optional<RegistryValue> readValue(RegistryRoot root, const std::string& keyPath,
                                           const std::string& name) override;
    bool createKey(RegistryRoot root, const std::string& keyPath) override;
    bool writeValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                    std::uint32_t type, std::string_view data) override;
    bool writeWideText(RegistryRoot root, const std::string& keyPath, const std::string& name,
                       std::wstring_view text) override;
    bool deleteValue(RegistryRoot root, const std::string& keyPath,
                     const std::string& name) override;
    bool deleteKey(RegistryRoot root, const std::string& parentPath,
                   const std::string& subkey) override;
    std::optional<std::vector<RegistryValue>> enumValues(RegistryRoot root,
                                                         const std::string& keyPath) override;

    // The system's code for the last refused create or write (0 before any).
    unsigned long lastError() const { return lastError_; }

  private:
    unsigned long lastError_ = 0;
};

}  // namespace veilora
