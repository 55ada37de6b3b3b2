#include "settings/reg_settings.h"

namespace veilora {

namespace {

std::string trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string valueName(std::string_view key) {
    return key == "*" ? std::string() : std::string(key);
}

std::string withNul(std::string_view text) {
    std::string data(text);
    data.push_back('\0');
    return data;
}

}  // namespace

RegSettings::RegSettings(RegistryBackend& backend)
    : backend_(&backend), company_(kCompanyName), appName_(kProductName) {}

void RegSettings::setCompany(std::string_view newValue) {
    company_ = trimBlanks(newValue);
    // An all-blank name would give an empty key name between two backslashes.
    if (company_.empty()) company_ = kCompanyName;
}

void RegSettings::setAppName(std::string_view newValue) {
    appName_ = trimBlanks(newValue);
    if (appName_.empty()) appName_ = kProductName;
}

std::string RegSettings::keyPath(std::string_view section) const {
    std::string path = "Software\\" + company_ + "\\" + appName_;
    if (!section.empty()) {
        path += '\\';
        path += section;
    }
    return path;
}

std::string RegSettings::getSetting(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const auto value =
        backend_->readValue(RegistryRoot::CurrentUser, keyPath(section), valueName(key));
    // Only a zero-byte value gives the default: a stored empty string is one NUL byte.
    // The type is not looked at, so other types give their bytes minus the last one.
    if (!value || value->data.empty()) return std::string(defaultValue);
    return value->data.substr(0, value->data.size() - 1);
}

bool RegSettings::saveSetting(std::string_view section, std::string_view key,
                              std::string_view setting, std::string_view isBin,
                              std::string_view isWT) {
    const std::string path = keyPath(section);
    const std::string name = valueName(key);
    // A binary value keeps the NUL too, so getSetting (which drops the last byte
    // whatever the type) reads back what was saved.
    const std::uint32_t type = isBin.empty() ? kRegSz : kRegBinary;
    const std::string data = withNul(setting);

    bool ok = backend_->createKey(RegistryRoot::CurrentUser, path) &&
              backend_->writeValue(RegistryRoot::CurrentUser, path, name, type, data);
    // The machine-wide copy decides the result only when its key could be
    // created, which a user without administrator rights cannot do.
    if (!isWT.empty() && backend_->createKey(RegistryRoot::LocalMachine, path)) {
        ok = backend_->writeValue(RegistryRoot::LocalMachine, path, name, type, data);
    }
    return ok;
}

bool RegSettings::deleteSetting(std::string_view section, std::string_view key) {
    if (!key.empty()) {
        return backend_->deleteValue(RegistryRoot::CurrentUser, keyPath(section), valueName(key));
    }
    // Without a section there is no subkey to name; never delete the application key.
    if (section.empty()) return false;
    return backend_->deleteKey(RegistryRoot::CurrentUser, keyPath({}), std::string(section));
}

std::vector<std::pair<std::string, std::string>> RegSettings::getAllSettings(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> rows;
    const auto values = backend_->enumValues(RegistryRoot::CurrentUser, keyPath(section));
    if (!values) return rows;
    for (const auto& value : *values) {
        if (value.type != kRegSz) continue;
        // A zero-byte string value has no NUL to drop.
        std::string text = value.data;
        if (!text.empty()) text.pop_back();
        rows.emplace_back(value.name, std::move(text));
    }
    return rows;
}

bool RegSettings::runNextBoot(std::string_view appName, std::wstring_view cmdLine, int action) {
    const std::string runKey(kRunKeyPath);
    switch (action) {
        case 1:
            return backend_->writeWideText(RegistryRoot::CurrentUser, runKey,
                                           std::string(appName), cmdLine);
        case 0:
            return backend_->deleteValue(RegistryRoot::CurrentUser, runKey, std::string(appName));
        default:
            return false;
    }
}

}  // namespace veilora
