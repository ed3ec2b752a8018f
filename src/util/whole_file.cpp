#include "util/whole_file.h"

#include <cstring>

std::string WholeFile::temporaryName(const std::string& name, int attempt) {
    return attempt == 0 ? name + ".tmp" : name + "." + std::to_string(attempt) + ".tmp";
}

bool WholeFile::open(const char* name) {
    abandon();
    name_ = name;
    failed_ = false;
    buffered_ = 0;
    // A temporary file left by a run that ended mid-write is removed and its name taken again; one that
    // another program holds open (a scanner, a backup) cannot be, and is passed over.
    for (int attempt = 0; attempt < kTemporaryNames && file_ == nullptr; ++attempt) {
        temporary_ = temporaryName(name_, attempt);
        if (temporary_ == waiting_) {
            continue;
        }
        file_ = gFileOperations.create(temporary_.c_str());
        if (file_ == nullptr && gFileOperations.remove(temporary_.c_str())) {
            file_ = gFileOperations.create(temporary_.c_str());
        }
    }
    return file_ != nullptr;
}

bool WholeFile::drain() {
    if (buffered_ > 0 && !failed_) {
        failed_ = !gFileOperations.write(file_, buffer_, buffered_);
    }
    buffered_ = 0;
    return !failed_;
}

bool WholeFile::write(const void* bytes, size_t count) {
    if (file_ == nullptr || failed_) {
        return false;
    }
    if (buffered_ + count > sizeof buffer_ && !drain()) {
        return false;
    }
    if (count <= sizeof buffer_) {
        std::memcpy(buffer_ + buffered_, bytes, count);
        buffered_ += count;
        return true;
    }
    failed_ = !gFileOperations.write(file_, bytes, count);
    return !failed_;
}

WholeFile::Outcome WholeFile::commit(bool replace) {
    if (file_ == nullptr) {
        return Outcome::Failed;
    }
    // Flushed before the rename: after a power cut the name must not stand for a file of zeros.
    const bool written = drain() && gFileOperations.flush(file_);
    const bool closed = gFileOperations.close(file_);
    file_ = nullptr;
    if (!written || !closed) {
        gFileOperations.remove(temporary_.c_str());
        return Outcome::Failed;
    }
    if (gFileOperations.rename(temporary_.c_str(), name_.c_str(), replace)) {
        if (waiting() && waitingAs_ == name_) {
            gFileOperations.remove(waiting_.c_str());  // older than the file that just took the name
        }
        forgetWaiting();
        return Outcome::Landed;
    }
    if (!replace) {
        // The file appeared meanwhile, or its name cannot be taken: it is not ours to replace.
        gFileOperations.remove(temporary_.c_str());
        return Outcome::Failed;
    }
    if (waiting() && waitingAs_ == name_) {
        gFileOperations.remove(waiting_.c_str());
    }
    waiting_ = temporary_;
    waitingAs_ = name_;
    return Outcome::Waiting;
}

WholeFile::Outcome WholeFile::land() {
    if (!waiting()) {
        return Outcome::Landed;
    }
    if (!gFileOperations.rename(waiting_.c_str(), waitingAs_.c_str(), true)) {
        return Outcome::Waiting;
    }
    forgetWaiting();
    return Outcome::Landed;
}

void WholeFile::abandon() {
    if (file_ != nullptr) {
        gFileOperations.close(file_);
        file_ = nullptr;
        gFileOperations.remove(temporary_.c_str());
    }
}
