#pragma once
// Registrar scripts: the text of a module's REGISTRY resources, read into a tree of keys and values
// that the Windows side writes into the registry and removes again. Platform-neutral: no registry
// access here, only the text, the replacement of %NAME% variables and the tree.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {5025A292-D603-4BBC-AAAE-EED7600234E9} = s 'Thumbnail Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// A key is a bare word (braced {GUID} names included) or a quoted name ('' stands for one quote),
// optionally preceded by NoRemove or
// ForceRemove, optionally followed by its default value (`= s 'text'`) and a braced body of sub-keys
// and named values (`val Name = d 1`). Types: s (string) and d (32-bit number, decimal or 0x hex).
// Keywords are case-insensitive and only count when written bare, so a key named "val" is written
// 'val'. %NAME% is replaced inside names and values after the text is split into words, so a value
// such as a folder with a quote in its name can never change the structure; %% is a literal %.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glyphpeek::com {

enum class ScriptRoot {
    kClassesRoot,   // HKCR, HKEY_CLASSES_ROOT
    kCurrentUser,   // HKCU, HKEY_CURRENT_USER
    kLocalMachine,  // HKLM, HKEY_LOCAL_MACHINE
    kUsers,         // HKU, HKEY_USERS
    kScopeMachine,  // HKMU: HKEY_LOCAL_MACHINE for all users, HKEY_CURRENT_USER per user (as in WiX)
};

struct ScriptValue {
    enum class Type { kString, kDword };
    Type type = Type::kString;
    std::u16string text;      // kString
    std::uint32_t number = 0; // kDword

    bool operator==(const ScriptValue&) const = default;
};

struct ScriptNamedValue {
    std::u16string name;
    ScriptValue value;

    bool operator==(const ScriptNamedValue&) const = default;
};

struct ScriptKey {
    std::u16string name;
    bool noRemove = false;     // left in place at removal (its sub-keys and named values are still removed)
    bool forceRemove = false;  // deleted with everything below it before it is created again
    std::optional<ScriptValue> defaultValue;
    std::vector<ScriptNamedValue> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRootKey {
    ScriptRoot root = ScriptRoot::kClassesRoot;
    std::vector<ScriptNamedValue> values;
    std::vector<ScriptKey> subkeys;
};

struct Script {
    std::vector<ScriptRootKey> roots;
};

struct ScriptVariable {
    std::u16string_view name;   // without the percent signs; matched case-insensitively (ASCII)
    std::u16string_view value;
};

struct ScriptError {
    std::size_t line = 0;       // 1-based line of the offending text; 0 when not tied to a place
    std::string message;
};

// Nesting deeper than this is refused: no real script comes close, and the tree is walked recursively.
inline constexpr std::size_t kMaxScriptDepth = 64;

// Parses the whole script; nullopt with `error` filled when the text is malformed, names an unknown
// variable, nests too deeply, or memory runs out. Never throws.
std::optional<Script> ParseScript(std::u16string_view text, std::span<const ScriptVariable> variables,
                                  ScriptError* error = nullptr) noexcept;

// The text of a REGISTRY resource: UTF-16LE after a byte-order mark, else UTF-8 (with or without its
// mark). Trailing NUL units are dropped. nullopt when the bytes are neither (an odd UTF-16 length or
// an invalid UTF-8 sequence); the Windows side then reads them in the ANSI code page.
std::optional<std::u16string> DecodeScriptBytes(std::span<const std::uint8_t> bytes) noexcept;

} // namespace glyphpeek::com
