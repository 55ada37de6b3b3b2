#include "windows/task_rows.h"

#include <gtest/gtest.h>

#include "windows/end_program.h"
#include "windows/task_list_support.h"

namespace veilora {
namespace {

using namespace testing;
using TaskRows = TaskListTest;

TEST_F(TaskRows, TasksThatStopQualifyingLeaveTheListAtTheNextCollection) {
    system.add(1, L"Editor");
    system.add(2, L"Viewer");
    system.add(3, L"Notes") = {.id = 3, .title = L"Notes", .icon = 6, .smallIcon = 7};
    tasks.setMode(TaskList::kModeAllUnowned);
    ASSERT_EQ(collectTaskRows(tasks).size(), 3u);
    // Both still exist, so a plain refresh would keep them.
    system.window(1).visible = system.window(2).visible = false;
    system.add(4, L"Mail");
    EXPECT_EQ(listed(collectTaskRows(tasks)), L"3 Notes 7;4 Mail 32512;");
}

// An item's key is "h" and its handle in upper-case hexadecimal.
TEST_F(TaskRows, TheShownListIsEditedInPlaceNeverRebuiltAndKeyedByTheHandle) {
    EXPECT_EQ(taskKey(0x1A2B0), L"h1A2B0");
    EXPECT_EQ(taskKey(0), L"h0");
    const ListUpdate update = planListUpdate(
        {{1, L"Editor"}, {2, L"Viewer"}, {3, L"Mail"}},
        {{3, L"Mail", 0}, {1, L"Editor - notes.txt", 0}, {4, L"Calculator", 0}, {5, L"Clock", 0}});
    EXPECT_EQ(update.remove, (std::vector<WindowId>{2}));
    EXPECT_EQ(listed(update.append), L"4 Calculator 0;5 Clock 0;");
    EXPECT_EQ(listed(update.retitle), L"1 Editor - notes.txt 0;");
}

TEST(EndProgramTexts, CaptionTrimsTheTaskNameAndPromptsFallBackToTheFirst) {
    EXPECT_EQ(endProgramCaption(L"  Notes \t"), L"Notes - End Program");
    EXPECT_EQ(endProgramCaption(L"   "), L"End Program");
    EXPECT_EQ(endProgramCaption(L""), L"End Program");
    EXPECT_EQ(endPromptText(endPromptFromNumber(1)),
              L"The system cannot end this program because it is waiting for a response from "
              L"you.");
    EXPECT_EQ(endPromptText(endPromptFromNumber(2)), L"Ending Program...Please wait.");
    EXPECT_EQ(endPromptText(endPromptFromNumber(7)), L"This program is not responding.");
}

}  // namespace
}  // namespace veilora
