#pragma once
// Runs a test inside a fresh, empty working directory, as the game's folder would be before the
// plug-in's first start, and removes it afterwards.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

class ScratchDirectory {
public:
    ScratchDirectory() : previous_(std::filesystem::current_path()) {
        std::random_device seed;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("vorn-test-" + std::to_string(seed()));
            if (std::filesystem::create_directory(path_)) {
                break;
            }
        }
        std::filesystem::current_path(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

inline void writeFileBytes(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
