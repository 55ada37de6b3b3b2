// The "Screen Capture" dialog that asks for the colour depth before a capture is armed.
#pragma once

#include <windows.h>

#include <optional>

#include "capture/screen_capture.h"

namespace veilora::capture {

// Runs the dialog modally above owner, 256 colours chosen at the start. The depth chosen
// with OK; nothing on Cancel, on closing the window, or when the dialog cannot be shown, and
// then nothing must be armed.
std::optional<CaptureDepth> runCaptureDepthDialog(HWND owner);

}  // namespace veilora::capture
