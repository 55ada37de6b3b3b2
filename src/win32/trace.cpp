#include "win32/trace.h"

#include <cstdio>
#include <string>

namespace veilora::win32 {

std::unique_ptr<FileTrace> FileTrace::fromEnvironment() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableW(L"VEILORA_TRACE", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    FileHandle file(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::unique_ptr<FileTrace>(new FileTrace(std::move(file)));
}

FileTrace::FileTrace(FileHandle file) : file_(std::move(file)) {
    ::InitializeCriticalSection(&lock_);
}

FileTrace::~FileTrace() { ::DeleteCriticalSection(&lock_); }

long long FileTrace::nowMicroseconds() {
    static const long long frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    // Split to avoid overflow of counter * 1e6.
    const long long seconds = counter.QuadPart / frequency;
    const long long rest = counter.QuadPart % frequency;
    return seconds * 1000000 + rest * 1000000 / frequency;
}

void FileTrace::event(std::string_view name) { write(nowMicroseconds(), name, nullptr); }

void FileTrace::event(std::string_view name, long long value) {
    write(nowMicroseconds(), name, &value);
}

void FileTrace::eventAt(long long microseconds, std::string_view name) {
    write(microseconds, name, nullptr);
}

void FileTrace::write(long long microseconds, std::string_view name, const long long* value) {
    char buffer[160];
    int n = std::snprintf(buffer, sizeof buffer, "%lld %.*s", microseconds,
                          static_cast<int>(name.size()), name.data());
    if (n < 0) return;
    if (value && n < static_cast<int>(sizeof buffer)) {
        n += std::snprintf(buffer + n, sizeof buffer - static_cast<size_t>(n), " %lld", *value);
    }
    if (n >= static_cast<int>(sizeof buffer) - 1) n = static_cast<int>(sizeof buffer) - 2;
    buffer[n++] = '\n';
    writeLine(std::string_view(buffer, static_cast<size_t>(n)));
}

void FileTrace::eventText(std::string_view name, std::wstring_view text) {
    std::string line = std::to_string(nowMicroseconds());
    line += ' ';
    line += name;
    line += ' ';
    const int size = static_cast<int>(text.size());
    const int needed = size > 0 ? ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr,
                                                        0, nullptr, nullptr)
                                : 0;
    if (needed > 0) {
        const size_t start = line.size();
        line.resize(start + static_cast<size_t>(needed));
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, line.data() + start, needed, nullptr,
                              nullptr);
        // One event per line, whatever the text holds.
        for (size_t i = start; i < line.size(); ++i)
            if (line[i] == '\r' || line[i] == '\n') line[i] = ' ';
    }
    line += '\n';
    writeLine(line);
}

void FileTrace::writeLine(std::string_view line) {
    ::EnterCriticalSection(&lock_);
    DWORD written = 0;
    ::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::LeaveCriticalSection(&lock_);
}

}  // namespace veilora::win32
