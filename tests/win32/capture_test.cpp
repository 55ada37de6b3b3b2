// The capture's safe save against a file another program holds locked: the only case the
// end-to-end tests cannot set up.

#include "capture/screen_capture_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "win32/handles.h"

namespace veilora::capture {
namespace {
namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CaptureWin32, ALockedPictureStaysAsItWasAndTheSystemSaysWhy) {
    const fs::path folder = fs::temp_directory_path() / "veilora-capture-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::wstring target = (folder / "scrcap.bmp").wstring();
    std::ofstream(fs::path(target), std::ios::binary) << "BM old";
    {
        // Another program holds the old picture open without sharing it.
        win32::FileHandle lock(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        const CaptureResult result = captureScreenToFile(CaptureDepth::TrueColour, target);
        EXPECT_FALSE(result);
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_EQ(readFile(target), "BM old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "nothing left behind";
    fs::remove_all(folder);
}

}  // namespace
}  // namespace veilora::capture
