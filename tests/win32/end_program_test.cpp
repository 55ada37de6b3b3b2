// Ending programs: the task list's terminate against helper programs that close, refuse or
// end late, and the End Program dialog's countdown.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "res/resource.h"
#include "support/dialog_watcher.h"
#include "support/task_helper.h"
#include "win32/handles.h"
#include "windows/end_program_win32.h"

namespace veilora {
namespace {

using testing::DialogWatcher;
using testing::pumpUntil;
using testing::TaskHelper;
using testing::textOf;

using EndProgramWin32 = testing::TaskEnding;

TEST_F(EndProgramWin32, AProgramThatClosesWhenAskedEndsWithoutADialog) {
    TaskHelper helper(L"closes", L"Obliging Helper");
    DialogWatcher watcher(L"Obliging Helper - End Program", 0);
    EXPECT_TRUE(terminate(helper, 10000));
    EXPECT_EQ(helper.exitCode(), 3);
    EXPECT_FALSE(watcher.appeared());
}

TEST_F(EndProgramWin32, AProgramThatRefusesIsEndedOnlyWhenThePersonSaysSo) {
    TaskHelper helper(L"ignores", L"  Stubborn Helper  ");
    {
        DialogWatcher watcher(L"Stubborn Helper - End Program", IDCANCEL);
        EXPECT_FALSE(terminate(helper, 300));
        EXPECT_TRUE(watcher.appeared());
        EXPECT_EQ(watcher.texts[IDC_EP_PROMPT], L"This program is not responding.");
        // The program's own icon, or none rather than a stand-in (Wine cannot use another
        // program's icon, Windows can).
        const win32::IconHandle own(::CopyIcon(
            reinterpret_cast<HICON>(::GetClassLongPtrW(helper.window(), GCLP_HICON))));
        EXPECT_EQ(watcher.iconShown, static_cast<bool>(own));
        EXPECT_FALSE(watcher.progressShown);
    }
    EXPECT_TRUE(helper.running());
    {
        DialogWatcher watcher(L"Stubborn Helper - End Program", IDC_EP_END_NOW);
        EXPECT_TRUE(terminate(helper, 300));
        EXPECT_TRUE(watcher.appeared());
    }
    EXPECT_EQ(helper.exitCode(), 0);
}

TEST_F(EndProgramWin32, AProgramThatEndsWhileTheDialogIsUpTakesTheDialogWithIt) {
    TaskHelper helper(L"late", L"Slow Helper");
    DialogWatcher watcher(L"Slow Helper - End Program", 0);
    EXPECT_TRUE(terminate(helper, 300));
    EXPECT_TRUE(watcher.appeared());
    EXPECT_TRUE(pumpUntil([&] { return watcher.wentAway(); }, 5000));
    EXPECT_EQ(helper.exitCode(), 7) << "it ended by itself, nothing was killed";
}

TEST(EndProgramDialogWin32, TheCountdownEndsTheProgramUnlessCancelled) {
    {
        EndProgramDialog dialog;
        dialog.setTaskName(L"Counting");
        dialog.setPrompt(EndPrompt::EndingCountdown);
        dialog.setWait(1);
        ASSERT_TRUE(dialog.show(nullptr));
        EXPECT_EQ(textOf(dialog.hwnd()), L"Counting - End Program");
        EXPECT_EQ(textOf(::GetDlgItem(dialog.hwnd(), IDC_EP_PROMPT)),
                  L"Ending Program...Please wait.");
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog.hwnd(), IDC_EP_CANCEL_HINT)));
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog.hwnd(), IDC_EP_PROGRESS)));
        EXPECT_TRUE(pumpUntil([&] { return !dialog.visible(); }, 10000));
        EXPECT_FALSE(dialog.cancelled());
    }
    // Cancel, and the title bar's close box.
    for (const UINT message : {UINT{WM_COMMAND}, UINT{WM_CLOSE}}) {
        EndProgramDialog dialog;
        dialog.setPrompt(EndPrompt::EndingCountdown);
        dialog.setWait(1);
        ASSERT_TRUE(dialog.show(nullptr));
        ::SendMessageW(dialog.hwnd(), message, IDCANCEL, 0);
        EXPECT_FALSE(dialog.visible()) << message;
        EXPECT_TRUE(dialog.cancelled()) << message;
        EXPECT_TRUE(message != WM_CLOSE || !dialog.hwnd()) << "the close box closes the window";
    }
}

}  // namespace
}  // namespace veilora
