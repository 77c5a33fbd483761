// own_samples: for every face of every font file (.ttf, .otf, .ttc, .otc) under the folders given,
// prints the sample a row draws when the face holds none of the define's characters: the face's
// main script, what kind of sample it is, and the sample itself; then how many faces got letters of
// their script, only other characters, or nothing. With --before, also what the earlier fallback
// drew: the first dozen characters of the ranges the font engine lists (as Wine lists them: every
// mapped character, cut to 16 bits), counted as letters, boxes (some character the face does not
// map), other characters, or nothing.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "core/coverage_sample.h"
#include "core/own_script_sample.h"

namespace fs = std::filesystem;
using glyphpeek::OwnSample;

namespace {

bool IsFontFile(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".ttf" || extension == ".otf" || extension == ".ttc" || extension == ".otc";
}

void Collect(const fs::path& root, std::vector<fs::path>& files) {
    std::error_code error;
    if (fs::is_regular_file(root, error)) {
        files.push_back(root);
        return;
    }
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
    for (; !error && it != end; it.increment(error))
        if (it->is_regular_file(error) && !it->is_symlink(error) && IsFontFile(it->path())) files.push_back(it->path());
}

std::string Utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
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

// The earlier fallback: the ranges as Wine's GetFontUnicodeRanges reports them, then the first
// dozen characters in code-point order.
std::u16string EarlierSample(const glyphpeek::FaceCharacters& face) {
    std::vector<glyphpeek::CodeRange> ranges;
    char32_t previous = 0;
    face.ForEachMapped([&](char32_t c, std::uint32_t) {
        if (!ranges.empty() && c == previous + 1) ++ranges.back().count;
        else ranges.push_back({static_cast<char32_t>(c & 0xFFFF), 1});
        previous = c;
        return true;
    });
    return glyphpeek::CoverageSample(std::move(ranges));
}

enum Earlier { kEarlierLetters, kEarlierBoxes, kEarlierOther, kEarlierNothing, kEarlierKinds };
const char* const kEarlierNames[] = {"letters", "boxes", "other", "nothing"};

bool IsLetterOf(char32_t c, hb_script_t script) {
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    switch (hb_unicode_general_category(unicode, c)) {
        case HB_UNICODE_GENERAL_CATEGORY_UPPERCASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_LOWERCASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_TITLECASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_MODIFIER_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_OTHER_LETTER: return hb_unicode_script(unicode, c) == script;
        default: return false;
    }
}

// The earlier sample holds no pairs: the engine's ranges are 16-bit.
Earlier Judge(const glyphpeek::FaceCharacters& face, const OwnSample& own, std::u16string_view sample) {
    if (sample.empty()) return kEarlierNothing;
    bool letters = own.kind == OwnSample::Kind::kLetters;
    for (char16_t unit : sample) {
        if (face.Glyph(unit) == 0) return kEarlierBoxes;
        letters = letters && IsLetterOf(unit, own.script);
    }
    return letters ? kEarlierLetters : kEarlierOther;
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
    bool before = false;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--before") == 0) {
            before = true;
            continue;
        }
        if (!fs::exists(argv[i])) {
            std::fprintf(stderr, "own_samples: no such file or folder %s\n", argv[i]);
            return 2;
        }
        Collect(argv[i], files);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: own_samples [--before] FOLDER_OR_FONT...\n");
        return 2;
    }
    std::sort(files.begin(), files.end());
    int kinds[3] = {}, earlier[kEarlierKinds] = {}, faces = 0;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(bytes.data()),
                                         static_cast<unsigned>(bytes.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        const unsigned members = std::max(1u, hb_face_count(blob));
        hb_blob_destroy(blob);
        for (unsigned index = 0; index < members; ++index) {
            const glyphpeek::FaceCharacters face(bytes, index);
            const OwnSample own = glyphpeek::OwnScriptSample(face);
            ++faces;
            ++kinds[static_cast<int>(own.kind)];
            std::printf("%-7s %s %s", KindName(own.kind), ScriptName(own.script).c_str(), Utf8(own.text).c_str());
            if (before) {
                const std::u16string old = EarlierSample(face);
                const Earlier judged = Judge(face, own, old);
                ++earlier[judged];
                std::printf("  | before %s %s", kEarlierNames[judged], Utf8(old).c_str());
            }
            std::printf("  %s:%u\n", file.filename().c_str(), index);
        }
    }
    std::printf("%d faces in %zu files: %d with letters of their script, %d with only other characters, %d with nothing\n",
                faces, files.size(), kinds[static_cast<int>(OwnSample::Kind::kLetters)],
                kinds[static_cast<int>(OwnSample::Kind::kOther)], kinds[static_cast<int>(OwnSample::Kind::kNothing)]);
    if (before)
        std::printf("before: %d with letters of their script, %d with boxes, %d with only other characters, %d with nothing\n",
                    earlier[kEarlierLetters], earlier[kEarlierBoxes], earlier[kEarlierOther], earlier[kEarlierNothing]);
    return 0;
}
