#pragma once
// The host tools' walk over a machine's fonts: every regular .ttf, .otf, .ttc and .otc file under a
// folder (a link to a font is the font it names, counted where it lies), or the file itself.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace font_files {

inline bool IsFontFile(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".ttf" || extension == ".otf" || extension == ".ttc" || extension == ".otc";
}

// `root` itself when it is a file; otherwise the font files below it, leaving out the folders for
// which `skipped` answers true.
template <typename Skipped>
void Collect(const std::filesystem::path& root, std::vector<std::filesystem::path>& files, Skipped skipped) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_regular_file(root, error)) {
        files.push_back(root);
        return;
    }
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error) && skipped(it->path())) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file(error) && !it->is_symlink(error) && IsFontFile(it->path())) files.push_back(it->path());
    }
}

} // namespace font_files
