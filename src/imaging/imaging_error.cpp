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

}  // namespace veilora::imaging
