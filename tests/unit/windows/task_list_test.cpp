#include "windows/task_list.h"

#include <gtest/gtest.h>

#include "windows/fake_window_system.h"

namespace veilora {
namespace {

using testing::FakeWindowSystem;
using testing::kApplicationIcon;
using testing::kLogoIcon;
using testing::kOwnProcess;

constexpr std::uint32_t kTool = 0x80;

std::vector<WindowId> listed(const TaskList& tasks) {
    std::vector<WindowId> ids;
    for (int i = 1; i <= tasks.count(); ++i) ids.push_back(tasks.hWnd(i));
    return ids;
}

std::vector<WindowId> listedIn(FakeWindowSystem& system, int mode) {
    TaskList tasks(system);
    tasks.setMode(mode);
    tasks.refresh();
    return listed(tasks);
}

TEST(TaskListFilter, EachModeListsItsKindOfWindow) {
    FakeWindowSystem system;
    system.add(1, L"Editor");
    system.add(2, L"Palette").exStyle = kTool;
    system.add(3, L"Desktop") = {.id = 3, .title = L"Desktop", .exStyle = kTool,
                                 .className = L"Progman"};
    system.add(4, L"Program Manager").className = L"Progman";  // no tool style: passes
    system.add(5, L"Find").owner = 2;                           // owned by a tool window
    system.add(6, L"Save As").owner = 1;                        // owned by an application
    system.add(7, L"Button").parent = 1;
    system.add(8, L"Hidden").visible = false;
    system.add(9, L"");
    system.add(10, L"Veilora Cover").process = kOwnProcess;  // visible behind an empty region
    system.add(11, L"Window Management") = {.id = 11, .title = L"Window Management",
                                            .owner = 10, .process = kOwnProcess};

    EXPECT_EQ(listedIn(system, TaskList::kModeApplications), (std::vector<WindowId>{1, 4, 5}));
    EXPECT_EQ(listedIn(system, TaskList::kModeAllUnowned), (std::vector<WindowId>{1, 2, 4}));
}

TEST(TaskListFilter, AnOwnedWindowShowsItsOwnersTitleAndItsOwnProcess) {
    FakeWindowSystem system;
    system.add(1, L"Tools").exStyle = kTool;
    system.window(1).icon = 77;
    auto& owned = system.add(2, L"inner title");
    owned.owner = 1;
    owned.process = 200;
    TaskList tasks(system);
    tasks.refresh();
    ASSERT_EQ(tasks.count(), 1);
    EXPECT_EQ(tasks.caption(1), L"Tools");
    EXPECT_EQ(tasks.hIcon(1), 77u);
    EXPECT_EQ(tasks.processId(1), 200u);
}

TEST(TaskListRefresh, KeepsTheOrderOfFirstDiscoveryAndDropsVanishedWindows) {
    FakeWindowSystem system;
    system.add(1, L"A").process = 101;
    system.add(2, L"B").process = 102;
    system.add(3, L"C").process = 103;
    TaskList tasks(system);
    tasks.refresh();
    ASSERT_EQ(listed(tasks), (std::vector<WindowId>{1, 2, 3}));

    system.toTop(3);
    system.add(4, L"D");
    system.toTop(4);
    system.destroy(2);
    system.window(1).title = L"A renamed";
    tasks.refresh();
    EXPECT_EQ(listed(tasks), (std::vector<WindowId>{1, 3, 4}));
    EXPECT_EQ(tasks.caption(1), L"A renamed");
    EXPECT_EQ(tasks.processId(2), 103u);
    EXPECT_EQ(tasks.getIndex(4), 3);
    EXPECT_EQ(tasks.getIndex(2), 0);

    // A window that stops passing the filter stays until someone asks whether it is valid.
    system.window(1).visible = false;
    tasks.refresh();
    EXPECT_EQ(tasks.count(), 3);
    EXPECT_TRUE(tasks.valid(2));
    EXPECT_FALSE(tasks.valid(0, 1));
    EXPECT_EQ(listed(tasks), (std::vector<WindowId>{3, 4}));
}

TEST(TaskListRefresh, AHungProgramCostsOneTimeOutAndKeepsWhatWasKnown) {
    FakeWindowSystem system;
    system.add(1, L"Busy").icon = 5;
    system.add(2, L"Busy too").thread = 20;
    TaskList tasks(system);
    tasks.setHungTimeout(250);
    tasks.refresh();
    ASSERT_EQ(tasks.count(), 2);

    // Thread 10 hangs; it owns the listed window and two new ones.
    system.window(1).title = L"changed";
    system.add(3, L"New on the hung thread");
    system.add(4, L"Another");
    system.add(5, L"Answers").thread = 30;
    system.hungThreads = {10};
    system.timedOut = 0;
    tasks.refresh();
    EXPECT_EQ(system.timedOut, 1);
    EXPECT_EQ(listed(tasks), (std::vector<WindowId>{1, 2, 5}));
    EXPECT_EQ(tasks.caption(1), L"Busy");
    EXPECT_EQ(tasks.hIcon(1), 5u);
    EXPECT_EQ(tasks.status(1), 1);
    EXPECT_EQ(tasks.status(2), 0);
    for (std::uint32_t timeout : system.timeoutsUsed) EXPECT_EQ(timeout, 250u);
}

TEST(TaskListRefresh, TitlesAreReadAsFarAsTheWindowSaysButNeverEndlessly) {
    FakeWindowSystem system;
    system.add(1, L"Short");
    system.add(2, std::wstring(5000, L'x')).claimedLength = 2'000'000'000;
    TaskList tasks(system);
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

TEST(TaskListIcons, OwnThenClassThenTheModesDefault) {
    FakeWindowSystem system;
    auto& own = system.add(1, L"Own icons");
    own.icon = 11;
    own.smallIcon = 12;
    auto& byClass = system.add(2, L"Class icons");
    byClass.classIcon = 21;
    byClass.classSmallIcon = 22;
    system.add(3, L"Big only").icon = 31;
    system.add(4, L"None");
    TaskList tasks(system);
    tasks.refresh();
    EXPECT_EQ(tasks.hIcon(1), 11u);
    EXPECT_EQ(tasks.hIconSm(1), 12u);
    EXPECT_EQ(tasks.hIcon(2), 21u);
    EXPECT_EQ(tasks.hIconSm(2), 22u);
    EXPECT_EQ(tasks.hIconSm(3), 31u);
    EXPECT_EQ(tasks.hIcon(4), kLogoIcon);
    EXPECT_EQ(tasks.hIconSm(4), kLogoIcon);
    tasks.setMode(TaskList::kModeAllUnowned);
    EXPECT_EQ(tasks.hIcon(4), kApplicationIcon);
    EXPECT_EQ(tasks.hIconSm(4), kApplicationIcon);
    EXPECT_EQ(tasks.hIcon(5), 0u);
    EXPECT_EQ(tasks.hIconSm(0), 0u);
}

TEST(TaskListMembers, SettersIgnoreValuesOutOfTheirRange) {
    FakeWindowSystem system;
    TaskList tasks(system);
    EXPECT_EQ(tasks.hungTimeout(), 500u);
    EXPECT_EQ(tasks.mode(), 0);
    tasks.setHungTimeout(0);
    tasks.setHungTimeout(-5);
    EXPECT_EQ(tasks.hungTimeout(), 500u);
    tasks.setHungTimeout(1);
    EXPECT_EQ(tasks.hungTimeout(), 1u);
    tasks.setMode(1);
    tasks.setMode(2);
    tasks.setMode(-1);
    EXPECT_EQ(tasks.mode(), 1);
}

TEST(TaskListMembers, OutOfRangeIndexesDoNothing) {
    FakeWindowSystem system;
    system.add(1, L"Only");
    TaskList tasks(system);
    tasks.refresh();
    for (int index : {0, 2, -1}) {
        EXPECT_EQ(tasks.caption(index), L"");
        EXPECT_EQ(tasks.hWnd(index), 0u);
        EXPECT_EQ(tasks.processId(index), 0u);
        EXPECT_EQ(tasks.status(index), 0);
        EXPECT_FALSE(tasks.valid(index));
        EXPECT_FALSE(tasks.activate(index));
        EXPECT_EQ(tasks.vdm(index), VdmKind::Ordinary);
    }
    EXPECT_FALSE(tasks.valid(1, 99)) << "an unknown window wins over a good index";
    EXPECT_EQ(system.messages[1], 4) << "only the refresh's questions reached the window";
}

TEST(TaskListMembers, ActivateRestoresAndReportsWhetherTheWindowIsInFront) {
    FakeWindowSystem system;
    system.add(1, L"Minimized").minimized = true;
    system.add(2, L"Other");
    TaskList tasks(system);
    tasks.refresh();
    EXPECT_TRUE(tasks.activate(0, 1));
    EXPECT_FALSE(system.window(1).minimized);
    system.foregroundRefused = true;
    EXPECT_FALSE(tasks.activate(2));
}

TEST(TaskListMembers, VdmClassifiesOnlyOnTheNtFamily) {
    FakeWindowSystem system;
    system.add(1, L"Win16").process = 201;
    system.add(2, L"DOS box").process = 202;
    system.add(3, L"Ordinary").process = 203;
    system.wowProcesses = {201};
    system.modules = {{202, L"ntvdm.exe"}, {203, L"ntvdm.exe.bak"}};
    TaskList tasks(system);
    tasks.refresh();
    EXPECT_EQ(tasks.vdm(1), VdmKind::Wow16);
    EXPECT_EQ(tasks.vdm(0, 2), VdmKind::Dos);
    EXPECT_EQ(tasks.vdm(3), VdmKind::Ordinary);

    system.ntFamily = false;
    TaskList old(system);
    old.refresh();
    EXPECT_EQ(old.vdm(1), VdmKind::Ordinary);
    EXPECT_EQ(old.vdm(2), VdmKind::Ordinary);
}

struct RecordingEnder : ProgramEnder {
    std::vector<std::wstring> calls;
    bool endProgram(std::uint32_t pid, std::uint32_t delay, std::wstring_view title,
                    IconId icon) override {
        calls.push_back(L"program " + std::to_wstring(pid) + L" " + std::to_wstring(delay) +
                        L" " + std::wstring(title) + L" " + std::to_wstring(icon));
        return true;
    }
    bool endWowTask(WindowId window, std::uint32_t, std::wstring_view, IconId) override {
        calls.push_back(L"wow " + std::to_wstring(window));
        return true;
    }
    bool endDosProgram(std::uint32_t pid) override {
        calls.push_back(L"dos " + std::to_wstring(pid));
        return false;
    }
};

TEST(TaskListTerminate, EachKindOfProgramGoesItsOwnWay) {
    FakeWindowSystem system;
    system.add(1, L"Win16").process = 201;
    system.add(2, L"DOS box").process = 202;
    system.add(3, L"Editor").process = 203;
    system.wowProcesses = {201};
    system.modules = {{202, L"NTVDM.EXE"}};
    RecordingEnder ender;
    TaskList tasks(system, &ender);
    tasks.refresh();
    EXPECT_TRUE(tasks.terminate(1));
    EXPECT_FALSE(tasks.terminate(0, 2));
    EXPECT_TRUE(tasks.terminate(0, 3, 2000));
    EXPECT_FALSE(tasks.terminate(4));
    EXPECT_EQ(ender.calls, (std::vector<std::wstring>{L"wow 1", L"dos 202",
                                                      L"program 203 2000 Editor 32517"}));
}

TEST(TopVisibleAncestor, ClimbsWhileTheParentIsVisible) {
    FakeWindowSystem system;
    system.add(1, L"Dialog");
    system.add(2, L"Group").parent = 1;
    system.add(3, L"Button").parent = 2;
    system.add(4, L"Hidden frame").visible = false;
    system.add(5, L"Child of hidden").parent = 4;
    EXPECT_EQ(topVisibleAncestor(system, 3), 1u);
    EXPECT_EQ(topVisibleAncestor(system, 1), 1u);
    EXPECT_EQ(topVisibleAncestor(system, 5), 5u);
    system.window(2).visible = false;
    EXPECT_EQ(topVisibleAncestor(system, 3), 3u);
}

}  // namespace
}  // namespace veilora
