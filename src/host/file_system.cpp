// The system's own file calls behind util/whole_file.h's table: the Windows API in the game, POSIX in
// the simulator and the tests. Windows refuses to replace or rename a file that another program holds
// open without sharing its deletion; POSIX never does.

#include "util/whole_file.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif
// POSIX: the compilers of the systems that have it.
#if !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#endif

namespace {

#ifdef _WIN32

void* createFile(const char* path) {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

bool writeFile(void* file, const void* bytes, size_t count) {
    const auto* at = static_cast<const char*>(bytes);
    while (count > 0) {
        const DWORD chunk = count < 0x40000000u ? static_cast<DWORD>(count) : 0x40000000u;
        DWORD written = 0;
        if (!WriteFile(static_cast<HANDLE>(file), at, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        at += written;
        count -= written;
    }
    return true;
}

bool flushFile(void* file) { return FlushFileBuffers(static_cast<HANDLE>(file)) != 0; }
bool closeFile(void* file) { return CloseHandle(static_cast<HANDLE>(file)) != 0; }

bool renameFile(const char* from, const char* to, bool replace) {
    return MoveFileExA(from, to, replace ? MOVEFILE_REPLACE_EXISTING : 0) != 0;
}

bool removeFile(const char* path) { return DeleteFileA(path) != 0; }

#endif
#if !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))

int descriptor(void* file) { return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1; }

void* createFile(const char* path) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd < 0 ? nullptr : reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
}

bool writeFile(void* file, const void* bytes, size_t count) {
    const auto* at = static_cast<const char*>(bytes);
    // Regular files on a local disk, whose writes no signal interrupts (EINTR): one that takes nothing failed.
    while (count > 0) {
        const ssize_t written = ::write(descriptor(file), at, count);
        if (written <= 0) {
            return false;
        }
        at += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

bool flushFile(void* file) { return ::fsync(descriptor(file)) == 0; }
bool closeFile(void* file) { return ::close(descriptor(file)) == 0; }

bool renameFile(const char* from, const char* to, bool replace) {
    if (replace) {
        return std::rename(from, to) == 0;
    }
    // A second name, which never replaces, then the first one dropped.
    if (::link(from, to) == 0) {
        ::unlink(from);
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    // A file system without hard links (FAT, the browser's for the playground): a check, then the rename.
    return ::access(to, F_OK) != 0 && errno == ENOENT && std::rename(from, to) == 0;
}

bool removeFile(const char* path) { return ::unlink(path) == 0; }

#endif

}  // namespace

FileOperations gFileOperations = {createFile, writeFile, flushFile, closeFile, renameFile, removeFile};
