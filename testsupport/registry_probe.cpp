#include "testsupport/registry_probe.h"

namespace registry_probe {
namespace {

struct Key {
    HKEY h = nullptr;
    ~Key() {
        if (h) RegCloseKey(h);
    }
};

} // namespace

bool KeyExists(HKEY base, const std::wstring& path) {
    Key key;
    return RegOpenKeyExW(base, path.c_str(), 0, KEY_READ, &key.h) == ERROR_SUCCESS;
}

std::optional<std::wstring> String(HKEY base, const std::wstring& path, const wchar_t* name) {
    Key key;
    if (RegOpenKeyExW(base, path.c_str(), 0, KEY_READ, &key.h) != ERROR_SUCCESS) return std::nullopt;
    wchar_t data[1024] = {};
    DWORD type = 0, size = sizeof(data) - sizeof(wchar_t);
    if (RegQueryValueExW(key.h, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring text(data, size / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<DWORD> Dword(HKEY base, const std::wstring& path, const wchar_t* name) {
    Key key;
    if (RegOpenKeyExW(base, path.c_str(), 0, KEY_READ, &key.h) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, data = 0, size = sizeof(data);
    if (RegQueryValueExW(key.h, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return data;
}

int EntryCount(HKEY base, const std::wstring& path) {
    Key key;
    if (RegOpenKeyExW(base, path.c_str(), 0, KEY_READ, &key.h) != ERROR_SUCCESS) return -1;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.h, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(subkeys + values);
}

void CreateKey(HKEY base, const std::wstring& path) {
    Key key;
    RegCreateKeyExW(base, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.h, nullptr);
}

void SetString(HKEY base, const std::wstring& path, const wchar_t* name, const std::wstring& data) {
    Key key;
    if (RegCreateKeyExW(base, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.h, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key.h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void DeleteTree(HKEY base, const std::wstring& path) {
    RegDeleteTreeW(base, path.c_str());
    RegDeleteKeyW(base, path.c_str());
}

} // namespace registry_probe
