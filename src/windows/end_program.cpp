#include "windows/end_program.h"

namespace veilora {

EndPrompt endPromptFromNumber(int number) {
    switch (number) {
        case 1:
            return EndPrompt::WaitingForUser;
        case 2:
            return EndPrompt::EndingCountdown;
        default:
            return EndPrompt::NotResponding;
    }
}

std::wstring_view endPromptText(EndPrompt prompt) {
    switch (prompt) {
        case EndPrompt::WaitingForUser:
            return L"The system cannot end this program because it is waiting for a response "
                   L"from you.";
        case EndPrompt::EndingCountdown:
            return L"Ending Program...Please wait.";
        case EndPrompt::NotResponding:
            break;
    }
    return L"This program is not responding.";
}

std::wstring trimTaskName(std::wstring_view name) {
    constexpr std::wstring_view kBlanks = L" \t";
    const std::size_t first = name.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) return {};
    const std::size_t last = name.find_last_not_of(kBlanks);
    return std::wstring(name.substr(first, last - first + 1));
}

std::wstring endProgramCaption(std::wstring_view taskName) {
    const std::wstring name = trimTaskName(taskName);
    if (name.empty()) return L"End Program";
    return name + L" - End Program";
}

}  // namespace veilora
