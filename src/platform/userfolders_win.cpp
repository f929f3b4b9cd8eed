#include <cstdlib>

#include "platform/codepage.h"
#include "platform/userfolders.h"
#include "platform/winutil.h"
// after windows.h
#include <knownfolders.h>
#include <shlobj.h>

namespace tunebelt::platform {

namespace {

const KNOWNFOLDERID* knownFolder(int id) {
  switch (id) {
    case kFolderDocuments:
      return &FOLDERID_Documents;
    case kFolderMusic:
      return &FOLDERID_Music;
    case kFolderFonts:
      return &FOLDERID_Fonts;
    case kFolderSystem:
      return &FOLDERID_System;
    default:
      return nullptr;
  }
}

// A known folder's path, neither created nor checked; the shell's result
// code.
HRESULT knownFolderPath(const KNOWNFOLDERID& id, std::string& path) {
  PWSTR raw = nullptr;
  HRESULT hr = ::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &raw);
  if (SUCCEEDED(hr) && raw != nullptr) path = fromWide(raw);
  ::CoTaskMemFree(raw);
  return hr;
}

}  // namespace

FolderLookup getSpecialFolder(int id) {
  const KNOWNFOLDERID* known = knownFolder(id);
  if (known == nullptr) return {kFolderInvalidId, {}};
  FolderLookup out;
  HRESULT hr = knownFolderPath(*known, out.path);
  if (SUCCEEDED(hr)) {
    out.result = kFolderFound;
  } else if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
             hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) {
    out.result = kFolderMissing;  // the identifier is valid, the folder is not there
  } else {
    out.result = static_cast<std::int32_t>(hr);
  }
  if (out.result != kFolderFound) out.path.clear();
  return out;
}

std::string homeFolder() {
  std::string path;
  return SUCCEEDED(knownFolderPath(FOLDERID_Profile, path)) ? path : std::string();
}

std::vector<std::string> steamInstallFolders() {
  std::vector<std::string> out;
  DWORD bytes = 0;
  constexpr const wchar_t* kKey = L"Software\\Valve\\Steam";
  if (::RegGetValueW(HKEY_CURRENT_USER, kKey, L"SteamPath", RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) == ERROR_SUCCESS &&
      bytes > sizeof(wchar_t)) {
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_CURRENT_USER, kKey, L"SteamPath", RRF_RT_REG_SZ, nullptr, value.data(),
                       &bytes) == ERROR_SUCCESS) {
      value.resize(::wcsnlen(value.c_str(), value.size()));
      for (wchar_t& c : value) {
        if (c == L'/') c = L'\\';
      }
      if (!value.empty()) out.push_back(fromWide(value));
    }
  }
  std::string programs;
  if (SUCCEEDED(knownFolderPath(FOLDERID_ProgramFilesX86, programs)) && !programs.empty()) {
    out.push_back(programs + "\\Steam");
  }
  return out;
}

std::string configHome() {
  // %APPDATA% when it holds a full path, else the shell's roaming
  // application-data folder.
  if (const wchar_t* env = ::_wgetenv(L"APPDATA")) {
    std::wstring_view value(env);
    if (value.size() >= 3 && value[1] == L':' && (value[2] == L'\\' || value[2] == L'/')) {
      return fromWide(value);
    }
  }
  std::string path;
  return SUCCEEDED(knownFolderPath(FOLDERID_RoamingAppData, path)) ? path : std::string();
}

}  // namespace tunebelt::platform
