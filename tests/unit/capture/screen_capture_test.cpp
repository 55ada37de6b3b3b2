#include "capture/screen_capture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "imaging/imaging_test_support.h"

namespace veilora::capture {
namespace {
using imaging::DibSection;
using namespace imaging::testing;
using Bytes = std::vector<std::uint8_t>;

TEST(CaptureFile, SitsInTheProgramFolderWithOneBackslash) {
    EXPECT_EQ(captureFilePath(L"C:\\Program Files\\Veilora"),
              L"C:\\Program Files\\Veilora\\scrcap.bmp");
    EXPECT_EQ(captureFilePath(L"D:\\"), L"D:\\scrcap.bmp");
}

// 256 colours: the halftone table, every pixel its nearest colour on its own (diffusion
// would not keep a flat area flat). True colour: the pixels as they are.
TEST(CaptureFile, DepthsGiveTrueColourOrTheNearestHalftoneColours) {
    DibSection flat = filled(6, 4, 0x282828);  // 40 each: nearest 64 in every channel
    const auto eight = encodeCapture(flat, CaptureDepth::Colours256);
    ASSERT_TRUE(eight);
    const Bytes info(eight->infoBlock.begin(), eight->infoBlock.end());
    ASSERT_EQ(info.size(), 40u + 4 * 256);
    EXPECT_EQ(le(info, 14, 2), 8u);
    EXPECT_EQ(le(info, 40 + 4 * 31), 0x404040u);
    EXPECT_EQ(le(info, 40 + 4 * 124), 0xFFFFFFu);
    EXPECT_EQ(le(info, 40 + 4 * 125), 0u);
    const auto pixels = eight->pixels();
    ASSERT_EQ(pixels.size(), 8u * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % 8 < 6) {
            EXPECT_EQ(pixels[i], 31) << i;
        }
    }

    DibSection photo = photoLike(5, 3);
    const auto full = encodeCapture(photo, CaptureDepth::TrueColour);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->infoBlock.size(), 40u);
    EXPECT_EQ(le(Bytes(full->infoBlock.begin(), full->infoBlock.end()), 14, 2), 24u);
    EXPECT_TRUE(std::equal(full->pixels().begin(), full->pixels().end(), photo.dibSectionBitsPtr(),
                           photo.dibSectionBitsPtr() + photo.sizeImage()));
}

// A file system in memory that fails where a test says, partway through a write included.
class MemoryFiles final : public CaptureFileSystem {
  public:
    static constexpr Error kDiskFull = 112;
    std::map<std::wstring, Bytes> files;
    std::string failAt;
    int failingWrite = 1;
    bool messageless = false;

    Error create(const std::wstring& path) override {
        if (failAt == "create") return 5;
        open_ = path;
        files[path].clear();
        return 0;
    }
    Error write(std::span<const std::uint8_t> bytes) override {
        Bytes& file = files.at(open_);
        if (failAt == "write" && --failingWrite == 0) {
            file.insert(file.end(), bytes.begin(), bytes.begin() + bytes.size() / 2);
            return kDiskFull;
        }
        file.insert(file.end(), bytes.begin(), bytes.end());
        return 0;
    }
    Error flushAndClose() override {
        if (failAt == "flush") return kDiskFull;
        open_.clear();
        return 0;
    }
    Error replace(const std::wstring& from, const std::wstring& target) override {
        if (!open_.empty()) ADD_FAILURE() << "replaced while still open";
        if (failAt == "replace") return 32;
        files[target] = files.at(from);
        files.erase(from);
        return 0;
    }
    void discard(const std::wstring& path) noexcept override {
        open_.clear();
        files.erase(path);
    }
    std::wstring message(Error error) override {
        return messageless ? L"" : L"system text " + std::to_wstring(error);
    }

  private:
    std::wstring open_;
};

const std::wstring kTarget = L"C:\\Veilora\\scrcap.bmp";
const Bytes kOld = {'o', 'l', 'd'};

TEST(CaptureSave, ReplacesTheOldPictureWithWhatTheWriterWouldWrite) {
    ScratchDir dir;
    DibSection image = photoLike(7, 5);
    ASSERT_TRUE(imaging::DibSectionSave().save(dir / "direct.bmp", image,
                                               imaging::OutputColourDepth::Colour256,
                                               imaging::ColourReductionMethod::None));
    const auto encoded = encodeCapture(image, CaptureDepth::Colours256);
    ASSERT_TRUE(encoded);
    MemoryFiles fs;
    fs.files[kTarget] = kOld;
    const CaptureResult result = saveReplacing(*encoded, kTarget, 0x1234, fs);
    EXPECT_TRUE(result);
    EXPECT_EQ(fs.files, (std::map<std::wstring, Bytes>{{kTarget, readBytes(dir / "direct.bmp")}}));
    // The temporary file is a sibling, so putting it in place is a rename.
    const std::wstring temporary = temporaryPathFor(kTarget, 0x1234);
    EXPECT_EQ(temporary.rfind(L"C:\\Veilora\\scrcap.bmp", 0), 0u);
    EXPECT_EQ(temporary.find_last_of(L"\\/"), kTarget.find_last_of(L"\\/"));
    EXPECT_NE(temporaryPathFor(kTarget, 0x1235), temporary);
}

TEST(CaptureSave, AnyFailureKeepsTheOldPictureAndLeavesNoTemporaryFile) {
    struct Case {
        std::string failAt;
        int failingWrite;
        std::wstring message;
    };
    for (const Case& c :
         {Case{"create", 1, L"system text 5"}, Case{"write", 1, L"system text 112"},
          Case{"write", 3, L"system text 112"}, Case{"flush", 1, L"system text 112"},
          Case{"replace", 1, L"system text 32"}}) {
        SCOPED_TRACE(c.failAt + " " + std::to_string(c.failingWrite));
        DibSection image = photoLike(4, 4);
        MemoryFiles fs;
        fs.files[kTarget] = kOld;
        fs.failAt = c.failAt;
        fs.failingWrite = c.failingWrite;
        const CaptureResult result =
            saveReplacing(*encodeCapture(image, CaptureDepth::TrueColour), kTarget, 7, fs);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.error, c.message);
        EXPECT_EQ(fs.files, (std::map<std::wstring, Bytes>{{kTarget, kOld}}));
    }
}

TEST(CaptureSave, AFailureWithoutSystemTextStillExplainsItself) {
    DibSection image = photoLike(2, 2);
    MemoryFiles fs;
    fs.failAt = "flush";
    fs.messageless = true;
    const CaptureResult result =
        saveReplacing(*encodeCapture(image, CaptureDepth::TrueColour), kTarget, 7, fs);
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find(L"112"), std::wstring::npos);
    EXPECT_TRUE(fs.files.empty());
}

}  // namespace
}  // namespace veilora::capture
