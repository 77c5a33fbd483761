// sanitise_fonts: runs the font sanitiser over every font file (.ttf, .otf, .ttc, .otc) under the
// folders given (default: the whole machine but its pseudo file systems) and prints one verdict a
// file, then the totals. Exit code 0 when every file passed, 1 when one was refused, 2 for an
// unreadable folder list.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "core/font_sanitiser.h"
#include "tools/font_files.h"

namespace fs = std::filesystem;

namespace {

bool Skipped(const fs::path& path) {
    static const char* const kPseudo[] = {"/proc", "/sys", "/dev", "/run"};
    return std::any_of(std::begin(kPseudo), std::end(kPseudo), [&](const char* p) { return path == p; });
}

void Collect(const fs::path& root, std::vector<fs::path>& files) { font_files::Collect(root, files, Skipped); }

} // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> roots(argv + 1, argv + argc);
    if (roots.empty()) roots.push_back("/");
    std::vector<fs::path> files;
    for (const fs::path& root : roots) {
        if (!fs::exists(root)) {
            std::fprintf(stderr, "sanitise_fonts: no such folder %s\n", root.c_str());
            return 2;
        }
        if (fs::is_regular_file(root)) files.push_back(root);
        else Collect(root, files);
    }
    std::sort(files.begin(), files.end());
    int passed = 0, refused = 0;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const glyphpeek::FontVerdict verdict = glyphpeek::SanitiseFont(bytes);
        if (verdict) {
            ++passed;
            std::printf("pass    %s\n", file.c_str());
        } else {
            ++refused;
            std::printf("refused %s: %s\n", file.c_str(), verdict.reason);
        }
    }
    std::printf("%zu font files: %d passed, %d refused\n", files.size(), passed, refused);
    return refused == 0 ? 0 : 1;
}
