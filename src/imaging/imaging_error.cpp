#include "imaging/imaging_error.h"

#include <system_error>
#include <utility>

namespace veilora::imaging {

namespace {
std::string& executableNameStorage() {
    static std::string name = "veilora";
    return name;
}
}  // namespace

ImagingError::ImagingError(int number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

void setExecutableName(std::string name) {
    executableNameStorage() = std::move(name);
}

const std::string& executableName() {
    return executableNameStorage();
}

std::string systemMessage(int error) {
    return std::generic_category().message(error);
}

namespace {
OsErrorText& osErrorTextStorage() {
    static OsErrorText describe = nullptr;
    return describe;
}
}  // namespace

void setOsErrorText(OsErrorText describe) {
    osErrorTextStorage() = describe;
}

std::string fileErrorText(int crtError, unsigned long osError) {
    if (const OsErrorText describe = osErrorTextStorage(); describe && osError != 0) {
        std::string text = describe(osError);
        if (!text.empty()) return text;
    }
    return systemMessage(crtError);
}

}  // namespace veilora::imaging
