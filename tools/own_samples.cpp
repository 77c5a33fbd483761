// own_samples: for every face of every font file (.ttf, .otf, .ttc, .otc) under the folders given,
// prints the sample a row draws when the face holds none of the define's characters: the face's
// main script, what kind of sample it is, and the sample itself; then how many faces got letters of
// their script, only other characters, or nothing.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "core/harfbuzz_owners.h"
#include "core/own_script_sample.h"
#include "tools/font_files.h"
#include "core/utf16.h"

namespace fs = std::filesystem;
using glyphpeek::OwnSample;

namespace {

void Collect(const fs::path& root, std::vector<fs::path>& files) {
    font_files::Collect(root, files, [](const fs::path&) { return false; });
}

std::string Utf8(std::u16string_view text) {
    std::string out;
    for (const char32_t c : glyphpeek::CodePoints(text)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string ScriptName(hb_script_t script) {
    if (script == HB_SCRIPT_INVALID) return "----";
    char tag[5] = {};
    hb_tag_to_string(hb_script_to_iso15924_tag(script), tag);
    return tag;
}

const char* KindName(OwnSample::Kind kind) {
    switch (kind) {
        case OwnSample::Kind::kLetters: return "letters";
        case OwnSample::Kind::kOther: return "other";
        default: return "nothing";
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (!fs::exists(argv[i])) {
            std::fprintf(stderr, "own_samples: no such file or folder %s\n", argv[i]);
            return 2;
        }
        Collect(argv[i], files);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: own_samples FOLDER_OR_FONT...\n");
        return 2;
    }
    std::sort(files.begin(), files.end());
    int kinds[3] = {}, faces = 0;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const unsigned members = std::max(1u, hb_face_count(glyphpeek::BlobOver(bytes).get()));
        for (unsigned index = 0; index < members; ++index) {
            const glyphpeek::FaceCharacters face(bytes, index);
            const OwnSample own = glyphpeek::OwnScriptSample(face);
            ++faces;
            ++kinds[static_cast<int>(own.kind)];
            std::printf("%-7s %s %s  %s:%u\n", KindName(own.kind), ScriptName(own.script).c_str(),
                        Utf8(own.text).c_str(), file.filename().c_str(), index);
        }
    }
    std::printf("%d faces in %zu files: %d with letters of their script, %d with only other characters, %d with nothing\n",
                faces, files.size(), kinds[static_cast<int>(OwnSample::Kind::kLetters)],
                kinds[static_cast<int>(OwnSample::Kind::kOther)], kinds[static_cast<int>(OwnSample::Kind::kNothing)]);
    return 0;
}
