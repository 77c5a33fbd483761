#include "framework/com/registrar.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "winsupport/scoped_handles.h"
#include "framework/com/registrar_script.h"
#include "winsupport/wide.h"
#include "winsupport/module_path.h"

namespace glyphpeek::com {
namespace {

HRESULT FromWin32(LONG error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(error)); }

constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;

// Opens (or, when applying, creates) the key a script root stands for in this scope.
LONG OpenRoot(ScriptRoot root, RegistrationScope scope, bool create, ScopedRegKey& key) {
    HKEY base = HKEY_CLASSES_ROOT;
    const wchar_t* path = L"";
    switch (root) {
    case ScriptRoot::kClassesRoot:
        base = scope == RegistrationScope::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        path = L"Software\\Classes";
        break;
    case ScriptRoot::kCurrentUser: base = HKEY_CURRENT_USER; break;
    case ScriptRoot::kLocalMachine: base = HKEY_LOCAL_MACHINE; break;
    case ScriptRoot::kUsers: base = HKEY_USERS; break;
    case ScriptRoot::kScopeMachine:
        base = scope == RegistrationScope::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        break;
    }
    if (create)
        return RegCreateKeyExW(base, path, 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr, key.put(), nullptr);
    return RegOpenKeyExW(base, path, 0, kAccess, key.put());
}

bool Missing(LONG error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Deletes `name` under `parent` with everything below it; a missing key is no failure.
LONG DeleteTree(HKEY parent, const wchar_t* name) {
    ScopedRegKey key;
    LONG error = RegOpenKeyExW(parent, name, 0, kAccess, key.put());
    if (Missing(error)) return ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) return error;
    for (;;) {
        wchar_t child[256];
        DWORD length = 256;
        error = RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_NO_MORE_ITEMS) break;
        if (error != ERROR_SUCCESS) return error;
        // Each pass removes the first sub-key or fails, so the loop ends.
        error = DeleteTree(key.get(), child);
        if (error != ERROR_SUCCESS) return error;
    }
    error = RegDeleteKeyW(parent, name);
    return Missing(error) ? ERROR_SUCCESS : error;
}

LONG SetValue(HKEY key, const wchar_t* name, const ScriptValue& value) {
    if (value.type == ScriptValue::Type::kDword) {
        const DWORD data = value.number;
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    }
    const size_t bytes = (value.text.size() + 1) * sizeof(char16_t);
    if (bytes > MAXDWORD) return ERROR_INVALID_DATA;
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                          static_cast<DWORD>(bytes));
}

LONG DeleteValue(HKEY key, const wchar_t* name) {
    const LONG error = RegDeleteValueW(key, name);
    return Missing(error) ? ERROR_SUCCESS : error;
}

LONG ApplyValues(HKEY key, const std::vector<ScriptNamedValue>& values) {
    for (const ScriptNamedValue& value : values)
        if (const LONG error = SetValue(key, AsWideTerminated(value.name), value.value); error != ERROR_SUCCESS)
            return error;
    return ERROR_SUCCESS;
}

LONG ApplyKey(HKEY parent, const ScriptKey& node);

LONG ApplyKeys(HKEY key, const std::vector<ScriptKey>& subkeys) {
    for (const ScriptKey& subkey : subkeys)
        if (const LONG error = ApplyKey(key, subkey); error != ERROR_SUCCESS) return error;
    return ERROR_SUCCESS;
}

LONG ApplyKey(HKEY parent, const ScriptKey& node) {
    const wchar_t* name = AsWideTerminated(node.name);
    if (node.forceRemove)
        if (const LONG error = DeleteTree(parent, name); error != ERROR_SUCCESS) return error;
    ScopedRegKey key;
    LONG error =
        RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr, key.put(), nullptr);
    if (error != ERROR_SUCCESS) return error;
    if (node.defaultValue)
        if (error = SetValue(key.get(), nullptr, *node.defaultValue); error != ERROR_SUCCESS) return error;
    if (error = ApplyValues(key.get(), node.values); error != ERROR_SUCCESS) return error;
    return ApplyKeys(key.get(), node.subkeys);
}

// Removal goes on past failures; `first` keeps the first one.
void Note(LONG error, LONG& first) {
    if (first == ERROR_SUCCESS) first = error;
}

void RemoveKey(HKEY parent, const ScriptKey& node, LONG& first);

void RemoveContents(HKEY key, const std::vector<ScriptNamedValue>& values, const std::vector<ScriptKey>& subkeys,
                    LONG& first) {
    for (const ScriptKey& subkey : subkeys) RemoveKey(key, subkey, first);
    for (const ScriptNamedValue& value : values) Note(DeleteValue(key, AsWideTerminated(value.name)), first);
}

void RemoveKey(HKEY parent, const ScriptKey& node, LONG& first) {
    if (node.forceRemove) {
        Note(DeleteTree(parent, AsWideTerminated(node.name)), first);
        return;
    }
    ScopedRegKey key;
    LONG error = RegOpenKeyExW(parent, AsWideTerminated(node.name), 0, kAccess, key.put());
    if (Missing(error)) return;
    if (error != ERROR_SUCCESS) {
        Note(error, first);
        return;
    }
    RemoveContents(key.get(), node.values, node.subkeys, first);
    if (node.noRemove) return;
    if (node.defaultValue) Note(DeleteValue(key.get(), nullptr), first);
    DWORD subkeys = 0, values = 0;
    error = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr);
    if (error != ERROR_SUCCESS) {
        Note(error, first);
        return;
    }
    if (subkeys != 0 || values != 0) return;  // someone else's entries live here
    key.reset();  // closed before it is deleted
    error = RegDeleteKeyW(parent, AsWideTerminated(node.name));
    if (!Missing(error)) Note(error, first);
}

std::optional<Script> Parse(std::wstring_view text, std::span<const Replacement> replacements) {
    std::vector<ScriptVariable> variables;
    variables.reserve(replacements.size());
    for (const Replacement& r : replacements) variables.push_back({AsU16(r.name), AsU16(r.value)});
    return ParseScript(AsU16(text), variables);
}

} // namespace

HRESULT ApplyScript(std::wstring_view text, RegistrationScope scope, std::span<const Replacement> replacements) noexcept {
    try {
        const std::optional<Script> script = Parse(text, replacements);
        if (!script) return kMalformedScript;
        for (const ScriptRootKey& root : script->roots) {
            ScopedRegKey key;
            LONG error = OpenRoot(root.root, scope, true, key);
            if (error == ERROR_SUCCESS) error = ApplyValues(key.get(), root.values);
            if (error == ERROR_SUCCESS) error = ApplyKeys(key.get(), root.subkeys);
            if (error != ERROR_SUCCESS) return FromWin32(error);
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT RemoveScript(std::wstring_view text, RegistrationScope scope, std::span<const Replacement> replacements) noexcept {
    try {
        const std::optional<Script> script = Parse(text, replacements);
        if (!script) return kMalformedScript;
        LONG first = ERROR_SUCCESS;
        for (const ScriptRootKey& root : script->roots) {
            ScopedRegKey key;
            const LONG error = OpenRoot(root.root, scope, false, key);
            if (Missing(error)) continue;
            if (error != ERROR_SUCCESS) {
                Note(error, first);
                continue;
            }
            RemoveContents(key.get(), root.values, root.subkeys, first);
        }
        return FromWin32(first);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT LoadScriptResource(HMODULE module, UINT id, std::wstring* script) noexcept {
    if (!script) return E_POINTER;
    script->clear();
    try {
        HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
        if (!info) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_RESOURCE_NAME_NOT_FOUND);
        HGLOBAL loaded = LoadResource(module, info);
        const DWORD size = SizeofResource(module, info);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data && size != 0) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_DATA);
        const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(data), size);
        if (std::optional<std::u16string> text = DecodeScriptBytes(bytes)) {
            script->assign(AsWide(*text));
            return S_OK;
        }
        // An odd-length UTF-16 resource is broken, not ANSI text.
        if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return kMalformedScript;
        if (size > static_cast<DWORD>(INT32_MAX)) return kMalformedScript;
        const char* ansi = static_cast<const char*>(data);
        const int units = MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(size), nullptr, 0);
        if (units <= 0) return kMalformedScript;
        script->resize(static_cast<size_t>(units));
        MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(size), script->data(), units);
        while (!script->empty() && script->back() == L'\0') script->pop_back();
        return S_OK;
    } catch (const std::bad_alloc&) {
        script->clear();
        return E_OUTOFMEMORY;
    } catch (...) {
        script->clear();
        return E_UNEXPECTED;
    }
}

HRESULT ApplyScriptResource(HMODULE module, UINT id, RegistrationScope scope,
                            std::span<const Replacement> replacements) noexcept {
    std::wstring script;
    if (const HRESULT hr = LoadScriptResource(module, id, &script); FAILED(hr)) return hr;
    return ApplyScript(script, scope, replacements);
}

HRESULT RemoveScriptResource(HMODULE module, UINT id, RegistrationScope scope,
                             std::span<const Replacement> replacements) noexcept {
    std::wstring script;
    if (const HRESULT hr = LoadScriptResource(module, id, &script); FAILED(hr)) return hr;
    return RemoveScript(script, scope, replacements);
}

std::wstring ModuleFileName(HMODULE module) noexcept {
    try {
        // The registry takes long paths; 32767 units is the longest a Windows path can be.
        return ModulePath(module, 32768);
    } catch (...) {
        return {};
    }
}

} // namespace glyphpeek::com
