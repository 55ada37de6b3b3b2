#include "about/about.h"

namespace veilora {

std::string linkTarget(AboutLink link) {
    if (link == AboutLink::SupportMail) return "mailto:" + std::string(kSupportAddress);
    return std::string(kWebPageAddress);
}

std::string linkCaption(AboutLink link) {
    if (link == AboutLink::SupportMail) return std::string(kSupportAddress);
    // The address as people say it: no scheme, no closing slash.
    std::string_view address = kWebPageAddress;
    if (const size_t scheme = address.find("://"); scheme != std::string_view::npos) {
        address.remove_prefix(scheme + 3);
    }
    if (address.ends_with('/')) address.remove_suffix(1);
    return std::string(address);
}

std::optional<Notice> launchFailureNotice(AboutLink link, int shellResult) {
    if (shellResult != kShellNoAssociation) return std::nullopt;
    if (link == AboutLink::SupportMail) {
        return Notice{"Could not start your email program.", "Oops!", MessageIcon::Exclamation};
    }
    return Notice{"Could not start your web browser.", "Oops!", MessageIcon::Exclamation};
}

std::wstring helpFilePath(std::wstring_view programFolder, std::wstring_view topic) {
    std::wstring path(programFolder);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    path += kHelpFileName;
    path += topic;
    return path;
}

}  // namespace veilora
