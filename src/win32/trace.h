// Opt-in timing trace: when VEILORA_TRACE names a file, one line per event is appended,
// "<microseconds> <event> [value]". Without the variable no sink exists and nothing is paid.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "ports/ports.h"
#include "win32/handles.h"

namespace veilora::win32 {

class FileTrace final : public TraceSink {
public:
    static std::unique_ptr<FileTrace> fromEnvironment();
    ~FileTrace() override;

    // Safe to call from any thread.
    void event(std::string_view name) override;
    void event(std::string_view name, long long value) override;
    void eventAt(long long microseconds, std::string_view name);
    // An event whose value is a text (written as UTF-8, to the end of the line).
    void eventText(std::string_view name, std::wstring_view text);

    static long long nowMicroseconds();

private:
    explicit FileTrace(FileHandle file);
    void write(long long microseconds, std::string_view name, const long long* value);
    void writeLine(std::string_view line);

    FileHandle file_;
    CRITICAL_SECTION lock_;
};

}  // namespace veilora::win32
