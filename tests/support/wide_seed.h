// Keys, values, folders and files named in UTF-16, through advapi32's and
// kernel32's UTF-16 functions: what another program makes, whatever code
// page the test program itself runs in. Names are given in UTF-8 here.
// Windows only; header-only.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "base/text.h"

namespace veltrane::testing {

inline std::wstring WideOf(const std::string& utf8) {
  const auto units = ToUtf16(utf8, kUtf8CodePage);
  if (!units) throw std::runtime_error("no UTF-8: " + utf8);
  return std::wstring(units->begin(), units->end());
}

// A REG_SZ value (with its terminating zero) of the key `path` below
// HKEY_CURRENT_USER, made with the keys above it; an empty `name` and
// `text` make the key alone.
inline void WideText(const std::string& path, const std::string& name, const std::string& text,
                     bool keyAlone = false) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, WideOf(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot make " + path);
  }
  if (!keyAlone) {
    const std::wstring data = WideOf(text);
    RegSetValueExW(key, WideOf(name).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(key);
}

inline void WideKey(const std::string& path) { WideText(path, "", "", true); }

// The key `path` below HKEY_CURRENT_USER with everything below it, names a
// program of a legacy code page cannot list included.
inline void WideDeleteTree(const std::string& path) {
  RegDeleteTreeW(HKEY_CURRENT_USER, WideOf(path).c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, WideOf(path).c_str());
}

// Whether the key `path` below HKEY_CURRENT_USER holds the value `name`.
inline bool WideValueExists(const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, WideOf(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  const bool found = RegQueryValueExW(key, WideOf(name).c_str(), nullptr, nullptr, nullptr,
                                      nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

inline void WideFolder(const std::string& path) {
  if (!CreateDirectoryW(WideOf(path).c_str(), nullptr)) {
    throw std::runtime_error("cannot make folder " + path);
  }
}

inline void WideFile(const std::string& path) {
  const HANDLE file = CreateFileW(WideOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make file " + path);
  CloseHandle(file);
}

}  // namespace veltrane::testing
