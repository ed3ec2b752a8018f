#pragma once
// A file that appears under its name whole or not at all. It is written under a temporary name
// beside the final one, every write, the flush to the disk and the close are checked, and only then
// is it renamed. A full disk, a read-only folder or a script abandoned between two writes leave at
// most a temporary file. A rename that another program refuses (on Windows, one that holds the old
// file open) keeps the finished file under its temporary name, and land() tries again later.

#include <cstddef>
#include <cstdint>
#include <string>

// The operating system's file calls, one table, so that tests can make any of them fail. The host
// layer fills it with the system's own (host/file_system.cpp).
struct FileOperations {
    // Creates `path` for writing, failing when a file of that name exists; null on failure.
    void* (*create)(const char* path);
    bool (*write)(void* file, const void* bytes, size_t count);
    bool (*flush)(void* file);  // onto the disk, not only out of the process
    bool (*close)(void* file);
    // Gives `from` the name `to`: over a file of that name when `replace`, otherwise only where there is none.
    bool (*rename)(const char* from, const char* to, bool replace);
    bool (*remove)(const char* path);
};
extern FileOperations gFileOperations;

class WholeFile {
public:
    enum class Outcome : uint8_t {
        Landed,   // under its name
        Waiting,  // finished, under its temporary name: the rename was refused, land() tries again
        Failed,   // nothing left behind
    };

    WholeFile() = default;
    ~WholeFile() { abandon(); }
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Opens a temporary file for `name`, a name of any length; false when none can be made. A
    // temporary file that another program holds, or a finished one still waiting, is passed over for
    // the next of a few names.
    bool open(const char* name);
    // False once any write failed; the file is then abandoned at commit.
    bool write(const void* bytes, size_t count);
    bool put(char c) { return write(&c, 1); }
    // Writes out, flushes, closes and renames: `replace` over a file of that name, otherwise only where
    // there is none (a file that appears meanwhile is kept, and this one removed). A refused
    // replacing rename waits; a file waiting from before is dropped, this one being newer.
    Outcome commit(bool replace);
    // Another try at the rename of a file that waits.
    Outcome land();
    bool waiting() const { return !waiting_.empty(); }
    // Stops trying: the waiting file stays on the disk under its temporary name.
    void forgetWaiting() { waiting_.clear(); }
    // Closes and removes the temporary file being written; a waiting one stays.
    void abandon();

    // The temporary names for `name`, in the order they are tried.
    static std::string temporaryName(const std::string& name, int attempt);
    static constexpr int kTemporaryNames = 8;

private:
    bool drain();

    void* file_ = nullptr;
    std::string name_;
    std::string temporary_;
    std::string waiting_;   // the temporary name of a finished file whose rename was refused
    std::string waitingAs_; // and its final name
    bool failed_ = false;
    size_t buffered_ = 0;
    char buffer_[4096] = {};
};
