// The about box's links and the help file's place: the rules behind the Win32 about box and
// help calls.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ports/notice.h"

namespace veilora {

inline constexpr std::string_view kWebPageAddress = "https://www.fernwick.example/";
inline constexpr std::string_view kSupportAddress = "support@fernwick.example";

enum class AboutLink { WebPage, SupportMail };

// What the shell is asked to open for a link, and what the link reads.
std::string linkTarget(AboutLink link);
std::string linkCaption(AboutLink link);

// The shell's answer when no program is registered for the kind of document.
inline constexpr int kShellNoAssociation = 31;

// The message for a link the shell could not open; nullopt when nothing is said. Only a
// missing program is reported; the shell shows its own message for most other failures.
std::optional<Notice> launchFailureNotice(AboutLink link, int shellResult);

inline constexpr std::wstring_view kHelpFileName = L"veilora.chm";
inline constexpr std::wstring_view kOptionsHelpTopic = L"::/Topic26.htm";

// The help file beside the program, optionally at a topic: one backslash between folder and
// file also when the folder is a drive's root ("C:\").
std::wstring helpFilePath(std::wstring_view programFolder, std::wstring_view topic = {});

}  // namespace veilora
