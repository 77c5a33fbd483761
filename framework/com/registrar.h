#pragma once
// Writes registrar scripts (REGISTRY resources, see registrar_script.h) into the registry and takes
// them out again, for all users or for the current user.
//
//   const std::wstring module = ModuleFileName(instance);
//   const Replacement replacements[] = {{L"MODULE", module}, {L"APPID", L"{B0BA7238-...}"}};
//   HRESULT hr = ApplyScriptResource(instance, 101, scope, replacements);
//
// Root keys: HKCR is HKLM\Software\Classes for all users and HKCU\Software\Classes for the current
// user, HKMU is HKLM for all users and HKCU for the current user; HKCU, HKLM and HKU are themselves in
// either scope.
//
// Applying: a ForceRemove key is deleted with everything below it, then every key is created or opened
// and its default and named values written. A malformed script changes nothing. The first failure stops
// the work and is returned; the caller removes the script again if it wants no remains.
//
// Removing: a ForceRemove key goes whole. Any other key loses the sub-keys and named values the script
// gives it; a key without NoRemove then loses its default value and is deleted once nothing else is left
// in it, so keys that other software shares (.vft\shellex) survive with the other software's entries. A
// NoRemove key stays with its default value. What is already missing counts as removed; removal goes on
// past a failure and returns the first one.
#include <windows.h>

#include <span>
#include <string>
#include <string_view>

namespace glyphpeek::com {

enum class RegistrationScope { kAllUsers, kCurrentUser };

struct Replacement {
    std::wstring_view name;   // MODULE for %MODULE%; matched case-insensitively
    std::wstring_view value;
};

// A script that does not parse, or a resource whose bytes are no text.
inline constexpr HRESULT kMalformedScript = static_cast<HRESULT>(0x8007000DL);  // HRESULT_FROM_WIN32(ERROR_INVALID_DATA)

HRESULT ApplyScript(std::wstring_view script, RegistrationScope scope, std::span<const Replacement> replacements) noexcept;
HRESULT RemoveScript(std::wstring_view script, RegistrationScope scope, std::span<const Replacement> replacements) noexcept;

// The text of the module's resource `id` of type "REGISTRY": UTF-16LE after a byte-order mark, UTF-8,
// or else the ANSI code page.
HRESULT LoadScriptResource(HMODULE module, UINT id, std::wstring* script) noexcept;

HRESULT ApplyScriptResource(HMODULE module, UINT id, RegistrationScope scope,
                            std::span<const Replacement> replacements) noexcept;
HRESULT RemoveScriptResource(HMODULE module, UINT id, RegistrationScope scope,
                             std::span<const Replacement> replacements) noexcept;

// The full path of a loaded module, however long; empty when it cannot be had.
std::wstring ModuleFileName(HMODULE module) noexcept;

} // namespace glyphpeek::com
