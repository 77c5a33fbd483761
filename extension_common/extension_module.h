#pragma once
// What both Explorer extension libraries share as modules: binding TRUtility.dll from their own folder,
// the registration road from their own resources, and the DllInstall command line.
#include <windows.h>

#include <span>

#include "framework/com/registrar.h"
#include "extension_common/script_resources.h"

namespace glyphpeek::extension_common {

// TRUtility.dll from the folder of `module`, never from the search path; null when it cannot be loaded.
// The caller binds what it needs by name and frees the library before it returns.
HMODULE LoadUtilityLibrary(HMODULE module) noexcept;

// The file name and extension of a path, by which a define is chosen: what follows its last '\\',
// '/' or ':' (hosts report a stream's name bare or as a full path).
const wchar_t* LookupName(const wchar_t* path) noexcept;

// Resource ids of the registration scripts.
inline constexpr UINT kAppIdScript = IDR_APPID_SCRIPT, kThumbnailScript = IDR_THUMBNAIL_SCRIPT,
                      kShellMenuScript = IDR_SHELLMENU_SCRIPT, kPreviewScript = IDR_PREVIEW_SCRIPT;
// The scripts of the classes both libraries have; a library with more classes names its own list.
inline constexpr UINT kClassScripts[] = {kThumbnailScript, kShellMenuScript};

// The application identity (with braces), then each class's script, then the type library under
// `typeLibraryName` (its help string, which its own 8-bit form cannot carry on every system); the first
// failure stops and is returned.
HRESULT RegisterModule(HMODULE module, const wchar_t* appId, const wchar_t* typeLibraryName,
                       com::RegistrationScope scope, std::span<const UINT> classScripts = kClassScripts) noexcept;
// Each class's script, the type library, the application identity; goes on past a failure, returns the first.
HRESULT UnregisterModule(HMODULE module, const wchar_t* appId, com::RegistrationScope scope,
                         std::span<const UINT> classScripts = kClassScripts) noexcept;

// DllInstall: "user" in any case, and nothing after it, means the current user; anything else all users.
// Installing that fails is undone and its failure returned.
HRESULT InstallModule(HMODULE module, const wchar_t* appId, const wchar_t* typeLibraryName, BOOL install,
                      PCWSTR commandLine, std::span<const UINT> classScripts = kClassScripts) noexcept;

} // namespace glyphpeek::extension_common
