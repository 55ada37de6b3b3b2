#pragma once

#include <stdexcept>
#include <string>

namespace veilora::imaging {

// A failure the imaging classes hand to their caller: the run-time error number, the
// source ("<executable>.cDIBSection256" or "<executable>.cPalette") and the description.
// Callers decide how to show it.
class ImagingError : public std::runtime_error {
  public:
    ImagingError(int number, std::string source, std::string description);

    int number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }

  private:
    int number_;
    std::string source_;
    std::string description_;
};

// Error numbers the imaging classes raise.
inline constexpr int kErrTypeMismatch = 13;
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrCannotCreateFile = 17;
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrFileAccess = 75;
inline constexpr int kErrInvalidFileFormat = 321;

// The executable's name that starts every error source. The core cannot find it out by
// itself; the program sets it once at start-up, before any other thread uses the library.
void setExecutableName(std::string name);
const std::string& executableName();

// The system's message text for an error number of the C runtime (errno).
std::string systemMessage(int error);

// Where the platform reports its own error code for a failed file call (Windows), the
// program can supply the system's text for it; the C runtime's text is used otherwise.
using OsErrorText = std::string (*)(unsigned long osError);
void setOsErrorText(OsErrorText describe);
// The best text for a failed file call: the system's for `osError` when a describer is set
// and the code is known, else the C runtime's for `crtError`.
std::string fileErrorText(int crtError, unsigned long osError);

}  // namespace veilora::imaging
