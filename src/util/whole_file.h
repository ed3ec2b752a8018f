#pragma once
// A file that appears under its name whole or not at all. It is written under a temporary name
// beside the final one (the name with ".tmp" added), every write and the close are checked, and only
// then is it renamed. A full disk, a read-only folder, a file locked by another program or a script
// abandoned between two writes leave at most the temporary file, which the next attempt overwrites.

#include <cstddef>
#include <cstdio>

class WholeFile {
public:
    WholeFile() = default;
    ~WholeFile() { abandon(); }
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Opens the temporary file for `name`, which must outlive this object; false when it cannot.
    bool open(const char* name);
    bool isOpen() const { return file_ != nullptr; }
    // False once any write failed; the file is then abandoned at commit.
    bool write(const void* bytes, size_t count);
    bool put(char c) { return write(&c, 1); }
    // Closes the file and gives it its name: `replace` over a file of that name, otherwise only where
    // there is none. On any failure the temporary file is removed and false returned.
    bool commit(bool replace);
    // Closes and removes the temporary file.
    void abandon();

private:
    std::FILE* file_ = nullptr;
    const char* name_ = nullptr;
    char temporary_[96] = {};
    bool failed_ = false;
};
