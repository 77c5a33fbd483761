// Linked into a test program whose windows lay out text: the test prefix shows no fonts, and dialogs,
// controls and the system's own dialogs need one (without it Wine gives controls no size or fails
// to draw their text). DejaVu Sans is registered for the test process before any test runs.
#include <gtest/gtest.h>

#include <windows.h>

namespace {

class WithFont : public ::testing::Environment {
    void SetUp() override {
        ASSERT_GT(AddFontResourceExW(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", FR_PRIVATE, nullptr), 0);
    }
};
const auto* const kWithFont = ::testing::AddGlobalTestEnvironment(new WithFont);

} // namespace
