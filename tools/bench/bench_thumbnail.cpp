// bench_thumbnail: median milliseconds per thumbnail on the stand-in's road, in process: every call
// does the whole road (CoCreateInstance, Load or stream and Initialize, the handler's own GDI+
// start-up, TRUtility.dll load, stub check, define look-up, drawing into the handed-over bitmap, Extract on
// a second thread for the classic class). Then the same steps timed one by one, to show where the
// time goes. Run under Wine with the two libraries registered; prints medians, asserts nothing.
//   bench_thumbnail [--size N] [--road-only] font...   (--road-only: one line per class and font,
//   "road <classic|vista> <file> <size> median_ms <ms> added_mb <MB> left_mb <MB>", for scripts: the
//   peak a request adds (a negative figure is an upper bound) and what each of ten more leaves behind)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "winsupport/export_binding.h"
#include "trutility/TRUtility.h"
#include "imaging/bitmap.h"
#include "imaging/drawing_context.h"
#include "imaging/gdiplus_session.h"
#include "tools/bench/process_memory.h"
#include "tools/bench/timing.h"
#include "tools/thumbnail_road.h"
#include "tools/utility_beside.h"

using namespace glyphpeek::imaging;
using thumbnail_road::Generation;

namespace {

constexpr int kRuns = 31;

double Median(const std::function<bool()>& call) {
    call();  // warm-up: the first call also loads the extension library into the process
    return bench::MedianMs(kRuns, call);
}

void Print(const char* what, double ms) {
    if (ms < 0)
        std::printf("  %-58s failed\n", what);
    else
        std::printf("  %-58s median %7.2f ms\n", what, ms);
}

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> fonts;
    int size = 256;
    bool roadOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--size") == 0 && i + 1 < argc)
            size = std::max(1, _wtoi(argv[++i]));
        else if (wcscmp(argv[i], L"--road-only") == 0)
            roadOnly = true;
        else
            fonts.emplace_back(argv[i]);
    }
    if (fonts.empty())
        fonts = {L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf",
                 L"Z:\\usr\\share\\fonts\\opentype\\noto\\NotoSansCJK-Regular.ttc"};
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 0;
    if (!roadOnly) std::printf("Whole road per thumbnail, %d x %d, %d runs:\n", size, size, kRuns);
    for (const std::wstring& font : fonts) {
        for (const Generation generation : {Generation::kClassic, Generation::kVista}) {
            HRESULT failure = S_OK;
            const double ms = Median([&] {
                const thumbnail_road::Answer answer = thumbnail_road::Request(generation, font.c_str(), {size, size});
                if (answer.failedStep) failure = answer.result;
                DeleteObject(answer.bitmap);
                return !answer.failedStep;
            });
            const char* name = generation == Generation::kClassic ? "classic" : "vista";
            if (roadOnly) {
                // One more request, metered: the libraries are loaded by now, as in Explorer after its first.
                const double added = bench::AddedMegabytes([&] {
                    DeleteObject(thumbnail_road::Request(generation, font.c_str(), {size, size}).bitmap);
                });
                // What requests leave behind: the working set after ten more, per request.
                constexpr int kLeftRuns = 10;
                const double before = bench::ProcessMemory().workingSetMb;
                for (int run = 0; run < kLeftRuns; ++run)
                    DeleteObject(thumbnail_road::Request(generation, font.c_str(), {size, size}).bitmap);
                const double left = (bench::ProcessMemory().workingSetMb - before) / kLeftRuns;
                std::printf("road %s %ls %d median_ms %.2f added_mb %.1f left_mb %.2f\n", name,
                            FileName(font).c_str(), size, ms, added, left);
                if (ms < 0) status = 1;
                continue;
            }
            char label[MAX_PATH + 16];
            std::snprintf(label, sizeof(label), "%-7s %ls", name, FileName(font).c_str());
            Print(label, ms);
            if (failure == REGDB_E_CLASSNOTREG)
                std::printf("    (not registered: run regsvr32 on Typorama.dll and TyporamaVista.dll first)\n");
            if (ms < 0) status = 1;
        }
    }

    if (roadOnly) {
        CoUninitialize();
        return status;
    }
    // The steps on their own, measured after the road so that nothing here was held during it.
    std::printf("Steps on their own (%ls):\n", FileName(fonts[0]).c_str());
    Print("COM: CoCreateInstance + Release (classic class)", Median([] {
              IUnknown* object = nullptr;
              if (FAILED(CoCreateInstance(thumbnail_road::kClassicClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                          reinterpret_cast<void**>(&object))))
                  return false;
              object->Release();
              return true;
          }));
    Print("a second thread: CreateThread + wait", Median([] {
              HANDLE thread = CreateThread(nullptr, 0, [](void*) -> DWORD { return 0; }, nullptr, 0, nullptr);
              if (!thread) return false;
              WaitForSingleObject(thread, INFINITE);
              CloseHandle(thread);
              return true;
          }));
    Print("GDI+ start-up + shut-down", Median([] { return GdiplusSession().ok(); }));
    Print("TRUtility.dll LoadLibrary + FreeLibrary", Median([] { return static_cast<bool>(LoadUtilityBesideExecutable()); }));
    {
        // Explorer always has the shell library loaded; this process does not of itself.
        const ScopedModule shell(LoadLibraryW(L"shell32.dll"));
        Print("  the same with shell32.dll held, as in Explorer",
              Median([] { return static_cast<bool>(LoadUtilityBesideExecutable()); }));
    }
    {
        GdiplusSession gdiplus;
        const ScopedModule utility = LoadUtilityBesideExecutable();
        auto convert = BindExport<ConvVFontPathFromFileProc>(utility.get(), "ConvVFontPathFromFile");
        auto loadDefine = BindExport<LoadDefineProc>(utility.get(), "LoadDefine");
        auto draw = BindExport<DrawStringFromFileProc>(utility.get(), "DrawStringFromFile");
        auto drawBinary = BindExport<DrawStringFromBinaryProc>(utility.get(), "DrawStringFromBinary");
        if (!gdiplus.ok() || !convert || !loadDefine || !draw || !drawBinary) {
            std::printf("  TRUtility.dll or GDI+ not available\n");
            CoUninitialize();
            return 1;
        }
        const std::wstring font = fonts[0], name = FileName(font);
        Print("ConvVFontPathFromFile", Median([&] {
                  wchar_t out[MAX_PATH];
                  return convert(font.c_str(), out);
              }));
        Print("LoadDefine (the prefix's defines)", Median([&] {
                  SettingData define;
                  return loadDefine(&define, name.c_str()) != nullptr;
              }));
        SettingData define;
        define = *loadDefine(&define, name.c_str());
        Print("256 x 256 bitmap + DrawStringFromFile", Median([&] {
                  ArgbBitmap bitmap(256, 256);
                  draw(bitmap.get(), &define, font.c_str());
                  return static_cast<bool>(bitmap);
              }));
        std::string bytes;
        if (HANDLE file = CreateFileW(font.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            file != INVALID_HANDLE_VALUE) {
            bytes.resize(GetFileSize(file, nullptr));
            DWORD read = 0;
            ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
            bytes.resize(read);
            CloseHandle(file);
        }
        Print("256 x 256 bitmap + DrawStringFromBinary", Median([&] {
                  ArgbBitmap bitmap(256, 256);
                  drawBinary(bitmap.get(), &define, bytes.data(), static_cast<uint32_t>(bytes.size()));
                  return static_cast<bool>(bitmap);
              }));
        // The drawing's own parts: the renderer registers the font privately, draws each row's text
        // with GDI on a canvas four times the cell each way and reduces it with bicubic scaling.
        Print("  private font registration: AddFontResourceEx + Remove", Median([&] {
                  const int added = AddFontResourceExW(font.c_str(), FR_PRIVATE, nullptr);
                  RemoveFontResourceExW(font.c_str(), FR_PRIVATE, nullptr);
                  return added > 0;
              }));
        Print("  private font registration: AddFontMemResourceEx + Remove", Median([&] {
                  DWORD count = 0;
                  HANDLE font = AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &count);
                  if (font) RemoveFontMemResourceEx(font);
                  return font != nullptr;
              }));
        Print("  the stream's bytes copied once more (zero-filled vector + memcpy)", Median([&] {
                  std::vector<wchar_t> copy(bytes.size() / sizeof(wchar_t) + 2, L'\0');
                  std::memcpy(copy.data(), bytes.data(), bytes.size());
                  return copy[0] != 1;
              }));
        Print("  1024 x 1024 canvas: create", Median([&] { return static_cast<bool>(ArgbBitmap(1024, 1024)); }));
        // The renderer writes the canvas's and the background's pixels itself; GDI+'s own clear and
        // row fills are timed beside them to show why.
        Print("  1024 x 1024 canvas: create and clear through GDI+", Median([&] {
                  ArgbBitmap canvas(1024, 1024);
                  auto context = DrawingContext::On(reinterpret_cast<GpImage*>(canvas.get()));
                  context.Clear(0x00FFFFFF);
                  return static_cast<bool>(context);
              }));
        Print("  1024 x 1024 canvas: create and fill its pixels", Median([&] {
                  ArgbBitmap canvas(1024, 1024);
                  return FillPixels(canvas.get(), 0x00FFFFFF);
              }));
        Print("  1024 x 1024 canvas: create, fill, device context for GDI", Median([&] {
                  ArgbBitmap canvas(1024, 1024);
                  FillPixels(canvas.get(), 0x00FFFFFF);
                  auto context = DrawingContext::On(reinterpret_cast<GpImage*>(canvas.get()));
                  ContextDC dc(context.get());
                  return static_cast<bool>(dc);
              }));
        ArgbBitmap canvas(1024, 1024);
        {
            auto context = DrawingContext::On(reinterpret_cast<GpImage*>(canvas.get()));
            context.Clear(0x00FFFFFF);
        }
        Print("  1024 x 1024 -> 256 x 256 high-quality bicubic DrawImage", Median([&] {
                  ArgbBitmap target(256, 256);
                  auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target.get()));
                  context.SetInterpolation(InterpolationModeHighQualityBicubic);
                  context.DrawImage(reinterpret_cast<GpImage*>(canvas.get()), 0, 0, 256, 256, 0, 0, 1024, 1024);
                  return static_cast<bool>(target);
              }));
        Print("  256 x 256 vertical gradient through GDI+ row fills", Median([&] {
                  ArgbBitmap target(256, 256);
                  auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target.get()));
                  context.FillVerticalGradient(0, 0, 256, 256, 0xFFFFFFFF, 0xFF4080C0);
                  return static_cast<bool>(target);
              }));
        Print("  256 x 256 vertical gradient written into the pixels", Median([&] {
                  ArgbBitmap target(256, 256);
                  return FillVerticalGradientPixels(target.get(), 0xFFFFFFFF, 0xFF4080C0);
              }));
    }
    CoUninitialize();
    return status;
}
