// The capture step on Windows: the whole primary screen, in real pixels, saved safely as a
// bitmap file of the chosen depth.
#pragma once

#include <windows.h>

#include <string>

#include "capture/screen_capture.h"
#include "imaging/dib_section.h"
#include "ports/ports.h"

namespace veilora::capture {

// Copies the whole primary screen into image (24 bits, the screen's size in physical
// pixels whatever the calling thread's DPI awareness). 0, or the system's error code.
DWORD grabPrimaryScreen(imaging::DibSection& image);

// Grabs the primary screen and saves it to path at depth, replacing path only once the new
// file is completely written. On failure path keeps its old contents byte for byte, no
// temporary file is left behind and the result carries the system's message text. Never
// throws. Traces "capture-grabbed", "capture-encoded" and then "capture-saved" (value: the
// depth) or "capture-failed" (value: the system's error code).
CaptureResult captureScreenToFile(CaptureDepth depth, const std::wstring& path,
                                  TraceSink* trace = nullptr) noexcept;

}  // namespace veilora::capture
