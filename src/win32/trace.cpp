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
    ::EnterCriticalSection(&lock_);
    DWORD written = 0;
    ::WriteFile(file_.get(), buffer, static_cast<DWORD>(n), &written, nullptr);
    ::LeaveCriticalSection(&lock_);
}

}  // namespace veilora::win32
