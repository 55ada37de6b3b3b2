#include "windows/task_rows.h"

#include <gtest/gtest.h>

#include "windows/end_program.h"
#include "windows/fake_window_system.h"
#include "windows/task_list.h"

namespace veilora {
namespace {

using testing::FakeWindowSystem;

TEST(TaskRows, TasksThatStopQualifyingLeaveTheListAtTheNextCollection) {
    FakeWindowSystem system;
    system.add(1, L"Editor");
    system.add(2, L"Viewer");
    system.add(3, L"Notes") = {.id = 3, .title = L"Notes", .icon = 6, .smallIcon = 7};
    TaskList tasks(system);
    tasks.setMode(TaskList::kModeAllUnowned);
    ASSERT_EQ(collectTaskRows(tasks).size(), 3u);

    // Both still exist, so a plain refresh would keep them.
    system.window(1).visible = system.window(2).visible = false;
    system.add(4, L"Mail");
    const auto rows = collectTaskRows(tasks);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].window, 3u);
    EXPECT_EQ(rows[0].smallIcon, 7u);
    EXPECT_EQ(rows[1].caption, L"Mail");
}

TEST(TaskRows, KeysAreTheHandleInUpperCaseHexadecimal) {
    EXPECT_EQ(taskKey(0x1A2B0), L"h1A2B0");
    EXPECT_EQ(taskKey(0), L"h0");
    EXPECT_EQ(taskKey(0xFFFFFFFFu), L"hFFFFFFFF");
}

TEST(TaskRows, TheShownListIsEditedInPlaceNeverRebuilt) {
    const std::vector<ShownItem> shown = {{1, L"Editor"}, {2, L"Viewer"}, {3, L"Mail"}};
    const std::vector<TaskRow> rows = {{3, L"Mail", 0}, {1, L"Editor - notes.txt", 0},
                                       {4, L"Calculator", 0}, {5, L"Paint", 0}};
    const ListUpdate update = planListUpdate(shown, rows);
    EXPECT_EQ(update.remove, (std::vector<WindowId>{2}));
    ASSERT_EQ(update.append.size(), 2u);
    EXPECT_EQ(update.append[0].window, 4u);
    EXPECT_EQ(update.append[1].window, 5u);
    ASSERT_EQ(update.retitle.size(), 1u);
    EXPECT_EQ(update.retitle[0].caption, L"Editor - notes.txt");

    const ListUpdate none = planListUpdate({{3, L"Mail"}}, {{3, L"Mail", 0}});
    EXPECT_TRUE(none.remove.empty() && none.append.empty() && none.retitle.empty());
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
