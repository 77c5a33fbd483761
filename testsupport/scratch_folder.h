#pragma once
// A folder of a test's own: empty when the test starts, removed with everything in it when the test
// ends. It is the path itself, so "folder / name" and ".wstring()" read as they do for a path.
#include <filesystem>
#include <system_error>

class ScratchFolder : public std::filesystem::path {
public:
    explicit ScratchFolder(std::filesystem::path where) : std::filesystem::path(std::move(where)) {
        std::error_code ignored;
        std::filesystem::remove_all(*this, ignored);
        std::filesystem::create_directories(*this);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(*this, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
};
