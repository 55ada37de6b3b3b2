#include "capture/screen_capture.h"

#include <gtest/gtest.h>

#include <map>

#include "imaging/imaging_test_support.h"
#include "support/memory_files.h"

namespace veilora::capture {
namespace {
using namespace imaging::testing;
using Bytes = std::vector<std::uint8_t>;
using test::MemoryFiles;
using Files = decltype(MemoryFiles::files);

TEST(CaptureFile, SitsInTheProgramFolderWithOneBackslash) {
    EXPECT_EQ(captureFilePath(L"C:\\Veilora"), L"C:\\Veilora\\scrcap.bmp");
    EXPECT_EQ(captureFilePath(L"D:\\"), L"D:\\scrcap.bmp");
}

const std::wstring kTarget = L"C:\\Veilora\\scrcap.bmp";
const Bytes kOld = {'o', 'l', 'd'};

TEST(CaptureSave, ReplacesTheOldPictureWithTheScreenAsAnUncompressedBitmapFile) {
    imaging::DibSection image = filled(2, 2, 0x112233);
    setRgb(image, 1, 0, 0x445566);
    setRgb(image, 0, 1, 0x778899);
    setRgb(image, 1, 1, 0xAABBCC);
    const Bytes expected = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file size, pixels at 54
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,  // 2 x 2, bottom row first, 24 bits
        0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x99, 0x88, 0x77, 0xCC, 0xBB, 0xAA, 0, 0,  // the bottom row, blue first, padded to 8
        0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0, 0};
    MemoryFiles fs;
    fs.files[kTarget] = kOld;
    fs.files[temporaryPathFor(kTarget, 7)] = kOld;  // left by a save that died: ours to replace
    EXPECT_TRUE(saveReplacing(*encodeCapture(image, CaptureDepth::TrueColour), kTarget, 7, fs));
    EXPECT_EQ(fs.files, (Files{{kTarget, expected}}));
    // 256 colours: each pixel the index of its nearest halftone colour (levels 0, 64, 128, 192
    // and 255; red + 5 x green + 25 x blue), rows padded; entry 56 is (64, 64, 128).
    const auto halftone = encodeCapture(image, CaptureDepth::Colours256);
    EXPECT_EQ(Bytes(halftone->pixels().begin(), halftone->pixels().end()),
              (Bytes{62, 93, 0, 0, 30, 56, 0, 0}));
    EXPECT_EQ(Bytes(halftone->infoBlock.begin() + 40 + 4 * 56,
                    halftone->infoBlock.begin() + 44 + 4 * 56),
              (Bytes{128, 64, 64, 0}));
    // Written beside the target, so that putting it in place is a rename.
    EXPECT_EQ(temporaryPathFor(kTarget, 0x89abcdef), kTarget + L".89abcdef.tmp");
}

// Without the system's text the error still gives the number.
TEST(CaptureSave, AnyFailureKeepsTheOldPictureLeavesNoTemporaryFileAndSaysWhy) {
    imaging::DibSection image = photoLike(40, 4);
    const auto encoded = encodeCapture(image, CaptureDepth::TrueColour);
    for (const auto& [failAt, code] :
         {std::pair{"create", 5u}, {"write", 112u}, {"flush", 112u}, {"replace", 32u}}) {
        for (bool textless : {false, true}) {
            MemoryFiles fs;
            fs.files[kTarget] = kOld;
            const std::wstring leftover = temporaryPathFor(kTarget, 7);
            fs.files[leftover] = kOld;
            fs.failAt = failAt;
            fs.textless = textless;
            const CaptureResult result = saveReplacing(*encoded, kTarget, 7, fs);
            EXPECT_FALSE(result) << failAt;
            // A file that could not be opened for us is left as it was.
            Files expected{{kTarget, kOld}};
            if (failAt == std::string("create")) expected[leftover] = kOld;
            EXPECT_EQ(fs.files, expected) << failAt;
            EXPECT_EQ(result.systemError, code) << failAt;
            EXPECT_NE(result.error.find(std::to_wstring(code)), std::wstring::npos) << failAt;
            EXPECT_EQ(result.error.starts_with(L"text "), !textless) << failAt;
        }
    }
}

}  // namespace
}  // namespace veilora::capture
