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

TEST(CaptureSave, ReplacesTheOldPictureWithWhatTheWriterWouldWrite) {
    ScratchDir dir;
    imaging::DibSection image = photoLike(7, 5);
    ASSERT_TRUE(imaging::DibSectionSave().save(dir / "direct.bmp", image,
                                               imaging::OutputColourDepth::Colour256,
                                               imaging::ColourReductionMethod::None));
    MemoryFiles fs;
    fs.files[kTarget] = kOld;
    fs.files[temporaryPathFor(kTarget, 7)] = kOld;  // left by a save that died: ours to replace
    EXPECT_TRUE(saveReplacing(*encodeCapture(image, CaptureDepth::Colours256), kTarget, 7, fs));
    EXPECT_EQ(fs.files, (Files{{kTarget, readBytes(dir / "direct.bmp")}}));
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
