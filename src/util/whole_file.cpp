#include "util/whole_file.h"

#include <cstring>
#include <filesystem>
#include <system_error>

bool WholeFile::open(const char* name) {
    abandon();
    const size_t length = std::strlen(name);
    if (length + sizeof ".tmp" > sizeof temporary_) {
        return false;
    }
    std::memcpy(temporary_, name, length);
    std::memcpy(temporary_ + length, ".tmp", sizeof ".tmp");
    name_ = name;
    failed_ = false;
    file_ = std::fopen(temporary_, "wb");
    return file_ != nullptr;
}

bool WholeFile::write(const void* bytes, size_t count) {
    if (file_ == nullptr || failed_) {
        return false;
    }
    failed_ = count > 0 && std::fwrite(bytes, 1, count, file_) != count;
    return !failed_;
}

bool WholeFile::commit(bool replace) {
    if (file_ == nullptr) {
        return false;
    }
    // The close writes what stdio still buffers: a full disk often shows only here.
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    std::error_code error;
    if (failed_ || !closed || (!replace && std::filesystem::exists(name_, error)) || error) {
        std::remove(temporary_);
        return false;
    }
    // Renaming replaces the file under that name in one step on every platform; a file another
    // program keeps open on Windows refuses it.
    std::filesystem::rename(temporary_, name_, error);
    if (error) {
        std::remove(temporary_);
        return false;
    }
    return true;
}

void WholeFile::abandon() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
        std::remove(temporary_);
    }
}
