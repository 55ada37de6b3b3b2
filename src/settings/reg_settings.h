#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/registry_backend.h"

namespace veilora {

inline constexpr std::string_view kCompanyName = "Fernwick";
inline constexpr std::string_view kProductName = "Veilora";
inline constexpr std::string_view kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Per-user string settings, one registry key per section below
// Software\<company>\<application>. Nothing is cached: every call goes to the
// registry, and no call throws; failures become the default or false.
class RegSettings {
  public:
    explicit RegSettings(RegistryBackend& backend);

    const std::string& company() const { return company_; }
    // Blanks around the name are dropped; an empty (or all-blank) name restores the default.
    void setCompany(std::string_view newValue);
    const std::string& appName() const { return appName_; }
    void setAppName(std::string_view newValue);

    std::string keyPath(std::string_view section) const;

    // A key of "*" stands for the section key's default value.
    std::string getSetting(std::string_view section, std::string_view key,
                           std::string_view defaultValue = {}) const;
    bool saveSetting(std::string_view section, std::string_view key, std::string_view setting,
                     std::string_view isBin = {}, std::string_view isWT = {});
    // Without a key the whole section is removed (one level).
    bool deleteSetting(std::string_view section, std::string_view key = {});
    // (name, text) of every REG_SZ value of the section; empty when there are none.
    std::vector<std::pair<std::string, std::string>> getAllSettings(std::string_view section) const;
    // action 1 adds or rewrites the per-user Run entry, 0 removes it, anything else does nothing.
    // The command line is a path, kept wide: any folder name must work.
    bool runNextBoot(std::string_view appName, std::wstring_view cmdLine, int action);

  private:
    RegistryBackend* backend_;
    std::string company_;
    std::string appName_;
};

}  // namespace veilora
