// Define files written to and read from the test prefix's disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "trsetting/define_file_io.h"
#include "testsupport/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace glyphpeek::trsetting;

SettingData Define(const wchar_t* name, uint32_t colour) {
    SettingData define{};
    wcsncpy(define.DefineName, name, std::size(define.DefineName) - 1);
    wcscpy(define.Condition, L"\\.ttc$");
    wcscpy(define.SampleText, L"Aa 永");
    define.FitSingleLine = 1;
    define.BackColor1 = colour;
    define.BackColor2 = define.ForeColor = kColorNotSet;
    return define;
}

class DefineFiles : public ::testing::Test {
protected:
    std::string Bytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const ScratchFolder folder{fs::temp_directory_path() / L"glyphpeek-define-files"};
};

TEST_F(DefineFiles, ExportAndImportGiveTheSameListByteForByte) {
    const std::vector<SettingData> defines = {Define(L"Gothic", 1), Define(L"Mincho", 2), Define(L"Sans", 3)};
    const fs::path file = folder / L"three.gpd";
    ASSERT_EQ(WriteDefineFile(file.c_str(), defines), 0u);
    const std::string bytes = Bytes(file);
    ASSERT_EQ(bytes.size(), 2086u);
    EXPECT_EQ(bytes.substr(0, 10), std::string("Typorama\0\x02", 10));
    const DefineFileContents read = ReadDefineFile(file.c_str());
    ASSERT_EQ(read.error, 0u);
    ASSERT_EQ(read.status, DefineFileStatus::kOk);
    ASSERT_EQ(read.defines.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(std::memcmp(&read.defines[i], &defines[i], sizeof(SettingData)), 0) << i;

    // Writing again empties the file first.
    ASSERT_EQ(WriteDefineFile(file.c_str(), {}), 0u);
    EXPECT_EQ(Bytes(file).size(), 10u);
    const DefineFileContents none = ReadDefineFile(file.c_str());
    EXPECT_EQ(none.status, DefineFileStatus::kOk);
    EXPECT_TRUE(none.defines.empty());
}

TEST_F(DefineFiles, FilesThatCannotBeReadOrWrittenReportTheSystemsError) {
    const DefineFileContents missing = ReadDefineFile((folder / L"missing.gpd").c_str());
    EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SystemErrorText(missing.error).empty());
    EXPECT_NE(SystemErrorText(missing.error).back(), L'\n');
    EXPECT_NE(WriteDefineFile(folder.c_str(), {}), 0u) << "a folder is no file";

    // A file far larger than any define list is refused without being read.
    const fs::path huge = folder / L"huge.gpd";
    {
        std::ofstream out(huge, std::ios::binary);
        out << "Typorama" << '\0' << '\2';
    }
    fs::resize_file(huge, kMaxDefineFileBytes + 1ull);
    EXPECT_EQ(ReadDefineFile(huge.c_str()).error, static_cast<DWORD>(ERROR_FILE_TOO_LARGE));

    const fs::path other = folder / L"other.gpd";
    std::ofstream(other, std::ios::binary) << "typorama\0\x02";
    const DefineFileContents wrong = ReadDefineFile(other.c_str());
    EXPECT_EQ(wrong.error, 0u);
    EXPECT_EQ(wrong.status, DefineFileStatus::kNotADefineFile);
}

} // namespace
