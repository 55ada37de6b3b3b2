// Texts of the "End Program" dialog.
#pragma once

#include <string>
#include <string_view>

namespace veilora {

enum class EndPrompt {
    NotResponding = 0,    // the program did not close when asked
    WaitingForUser = 1,   // a 16-bit program has a dialog box of its own open
    EndingCountdown = 2,  // the program is ended when the progress bar runs out
};

// The prompt for a number as callers store it; unknown numbers show the first prompt.
EndPrompt endPromptFromNumber(int number);
std::wstring_view endPromptText(EndPrompt prompt);

// The task name with surrounding blanks removed, as the dialog keeps it.
std::wstring trimTaskName(std::wstring_view name);
// "<task> - End Program", or "End Program" for a task without a name.
std::wstring endProgramCaption(std::wstring_view taskName);

}  // namespace veilora
