#include "windows/task_list.h"

#include <gtest/gtest.h>

#include "windows/task_list_support.h"

namespace veilora {
namespace {

using namespace testing;

constexpr std::uint32_t kTool = 0x80;

// A window owned by a tool window is listed with its owner's title and its own process.
TEST_F(TaskListTest, EachModeListsItsKindOfWindowButNeverTheProgramsOwn) {
    system.add(1, L"Editor");
    system.add(2, L"Palette").exStyle = kTool;
    system.add(3, L"Desktop") = {.id = 3, .title = L"Desktop", .exStyle = kTool,
                                 .className = L"Progman"};
    system.add(4, L"Program Manager").className = L"Progman";  // no tool style: passes
    system.add(5, L"Find") = {.id = 5, .title = L"Find", .owner = 2, .process = 200};
    system.add(6, L"Save As").owner = 1;
    system.add(7, L"Button").parent = 1;
    system.add(9, L"");
    system.add(10, L"Veilora Cover").process = kOwnProcess;  // visible behind an empty region
    system.add(11, L"Suspended Store App").cloaked = true;  // visible, yet never on screen
    TaskList all(system);
    all.setMode(TaskList::kModeAllUnowned);
    tasks.refresh();
    all.refresh();
    EXPECT_EQ(listed(tasks), L"1 Editor 100;4 Program Manager 100;5 Palette 200;");
    EXPECT_EQ(listed(all), L"1 Editor 100;2 Palette 100;4 Program Manager 100;");
}

TEST_F(TaskListTest, RefreshKeepsTheOrderOfFirstDiscoveryAndDropsVanishedWindows) {
    system.add(1, L"A").process = 101;
    system.add(2, L"B").process = 102;
    system.add(3, L"C").process = 103;
    tasks.refresh();
    system.toTop(3);
    system.add(4, L"D");
    system.toTop(4);
    system.destroy(2);
    system.window(1).title = L"A renamed";
    tasks.refresh();
    EXPECT_EQ(listed(tasks), L"1 A renamed 101;3 C 103;4 D 100;");

    // A window that stops passing the filter leaves once someone asks whether it is valid.
    system.window(1).visible = false;
    tasks.refresh();
    EXPECT_FALSE(tasks.valid(2, 1)) << "the window wins over the index";
    EXPECT_EQ(listed(tasks), L"3 C 103;4 D 100;");
}

TEST_F(TaskListTest, AHungProgramCostsARefreshOneTimeOutAndKeepsWhatWasKnown) {
    system.add(1, L"Busy").icon = 5;
    system.add(2, L"Other").thread = 20;
    tasks.setHungTimeout(250);
    tasks.refresh();

    // Thread 10 hangs; it owns the listed window and a new one.
    system.window(1).title = L"changed";
    system.add(3, L"New on the hung thread");
    system.add(5, L"Answers").thread = 30;
    system.hungThreads = {10};
    tasks.refresh();
    EXPECT_EQ(system.timedOut, 1);
    EXPECT_EQ(listed(tasks), L"1 Busy 100;2 Other 100;5 Answers 100;");
    EXPECT_EQ(tasks.status(1), 1);
    EXPECT_EQ(tasks.status(2), 0);
    for (std::uint32_t timeout : system.timeoutsUsed) EXPECT_EQ(timeout, 250u);

    // The title answers, the big icon times out: the small one is not asked, the icon stays.
    system.hungThreads.clear();
    system.silentIcons = {1};
    system.timedOut = 0;
    tasks.refresh();
    EXPECT_EQ(system.timedOut, 1);
    EXPECT_EQ(tasks.caption(1), L"changed");
    EXPECT_EQ(tasks.hIcon(1), 5u);
}

TEST_F(TaskListTest, TitlesAreReadAsFarAsTheWindowSaysButNeverEndlessly) {
    system.add(1, L"Short");
    system.add(2, std::wstring(5000, L'x')).claimedLength = 2'000'000'000;
    tasks.refresh();
    EXPECT_EQ(system.capacities, (std::vector<std::size_t>{6, TaskList::kMaxTitleLength + 1}));
    EXPECT_EQ(tasks.caption(2).size(), TaskList::kMaxTitleLength);

    // A title cleared between the two questions is not recorded.
    system.window(1).title.clear();
    system.window(1).claimedLength = 5;
    system.add(3, L"").claimedLength = 5;
    tasks.refresh();
    EXPECT_EQ(tasks.caption(1), L"Short");
    EXPECT_EQ(tasks.count(), 2);
}

TEST_F(TaskListTest, IconsAreTheWindowsOwnThenTheClassesThenTheModesDefault) {
    system.add(1, L"Own") = {.id = 1, .title = L"Own", .icon = 11, .smallIcon = 12};
    system.add(2, L"Class") = {.id = 2, .title = L"Class", .classIcon = 21, .classSmallIcon = 22};
    system.add(3, L"Big only").icon = 31;
    system.add(4, L"None");
    tasks.refresh();
    EXPECT_EQ(tasks.hIconSm(1), 12u);
    EXPECT_EQ(tasks.hIcon(2), 21u);
    EXPECT_EQ(tasks.hIconSm(3), 31u);
    EXPECT_EQ(tasks.hIconSm(4), kLogoIcon);
    tasks.setMode(TaskList::kModeAllUnowned);
    EXPECT_EQ(tasks.hIconSm(4), kApplicationIcon);
}

TEST_F(TaskListTest, SettersKeepTheirRangeAndBadIndexesDoNothing) {
    system.add(1, L"Only");
    for (std::int64_t timeout : {0LL, -5LL, 1LL << 32}) tasks.setHungTimeout(timeout);
    EXPECT_EQ(tasks.hungTimeout(), 500u);
    tasks.setMode(2);
    EXPECT_EQ(tasks.mode(), TaskList::kModeApplications);
    tasks.refresh();
    for (int index : {0, 2, -1}) {
        EXPECT_EQ(tasks.caption(index), L"");
        EXPECT_EQ(tasks.hWnd(index) + tasks.hIcon(index) + tasks.hIconSm(index), 0u);
        EXPECT_EQ(tasks.processId(index) + tasks.status(index), 0u);
        EXPECT_FALSE(tasks.valid(index) || tasks.activate(index));
    }
    system.window(1).minimized = true;
    EXPECT_TRUE(tasks.activate(0, 1));
    EXPECT_FALSE(system.window(1).minimized) << "restored before it is brought forward";
}

TEST_F(TaskListTest, EachKindOfProgramIsRecognisedAndEndedItsOwnWay) {
    system.add(1, L"Win16").process = 201;
    system.add(2, L"DOS box").process = 202;
    system.add(3, L"Editor").process = 203;
    system.add(4, L"Paint") = {.id = 4, .title = L"Paint", .process = 204, .icon = 9};
    system.wowProcesses = {201};
    system.modules = {{202, L"ntvdm.exe"}, {203, L"ntvdm.exe.bak"}};
    tasks.refresh();
    EXPECT_TRUE(tasks.terminate(1));
    EXPECT_FALSE(tasks.terminate(0, 2));
    EXPECT_TRUE(tasks.terminate(0, 3, 2000));
    EXPECT_TRUE(tasks.terminate(0, 4));
    EXPECT_FALSE(tasks.terminate(5));
    // The end dialog shows the program's own icon, or none rather than a stand-in.
    EXPECT_EQ(system.ended, (std::vector<std::wstring>{L"wow 1", L"dos 202",
                                                       L"program 203 2000 Editor 0",
                                                       L"program 204 0 Paint 9"}));
    system.ntFamily = false;  // 16-bit programs are only looked for in the NT family
    TaskList old(system);
    old.refresh();
    EXPECT_EQ(old.vdm(1), VdmKind::Ordinary);
}

}  // namespace
}  // namespace veilora
