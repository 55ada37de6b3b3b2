// The "Volume Control" dialog: chooses, while the screen is hidden, the level that the restore
// writes back. It never touches the live volume.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "win32/modeless_dialog.h"

namespace veilora {

class VolumeDialog final : private win32::ModelessDialog {
public:
    // Told each completed change (click, keys, drag released) of the chosen level.
    using Chosen = std::function<void(std::uint32_t level)>;

    VolumeDialog() = default;
    ~VolumeDialog() override;

    // Opens the dialog modeless, owned by `owner` (the cover), showing `savedLevel`; when it
    // is open already, it is brought to the front and shows `savedLevel` again.
    bool show(HWND owner, std::uint32_t savedLevel, Chosen onChosen);

    using ModelessDialog::close;
    using ModelessDialog::hwnd;
    using ModelessDialog::isOpen;

private:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void showLevel(std::uint32_t level);
    void showPosition(int position);
    void onScroll(int code);

    Chosen onChosen_;
    int position_ = 0;
};

}  // namespace veilora
