#include "win32/dialogs.h"

#include <commctrl.h>
#include <shobjidl.h>

#include "win32/gdi.h"

namespace tunebelt::win32 {

bool Dialogs::testMode_ = false;
std::deque<bool> Dialogs::answers_;
std::deque<bool> Dialogs::checks_;
std::deque<std::vector<std::string>> Dialogs::files_;
std::deque<std::optional<std::string>> Dialogs::folders_;
std::vector<Dialogs::Shown> Dialogs::shown_;
std::vector<Dialogs::Opened> Dialogs::opened_;

namespace {

UINT iconFlag(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return MB_ICONERROR;
    case MessageIcon::Question:
      return MB_ICONQUESTION;
    case MessageIcon::Exclamation:
      return MB_ICONWARNING;
    case MessageIcon::Information:
      return MB_ICONINFORMATION;
    case MessageIcon::None:
      break;
  }
  return 0;
}

// The owner only when it is a window that shows (a box over a hidden window
// would be hidden from the task bar).
HWND visibleOwner(HWND owner) {
  return owner && ::IsWindowVisible(owner) ? owner : nullptr;
}

template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

std::string trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> Dialogs::fileTypes(std::string_view filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(std::string(filter.substr(start, bar - start)));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  std::vector<std::pair<std::wstring, std::wstring>> specs;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string patterns;
    std::string_view rest = parts[i + 1];
    while (!rest.empty()) {
      const std::size_t semi = rest.find(';');
      const std::string one = trimmed(rest.substr(0, semi));
      if (!one.empty()) patterns += (patterns.empty() ? "" : ";") + one;
      if (semi == std::string_view::npos) break;
      rest.remove_prefix(semi + 1);
    }
    specs.emplace_back(wide(trimmed(parts[i])), wide(patterns));
  }
  return specs;
}

namespace {

std::string itemPath(IShellItem* item) {
  PWSTR path = nullptr;
  std::string result;
  if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
    result = narrow(path);
    ::CoTaskMemFree(path);
  }
  return result;
}

// Runs the system's open dialog; the chosen items' paths.
std::vector<std::string> runOpenDialog(HWND owner, const std::wstring& title,
                                       std::string_view filter, std::string_view startFolder,
                                       FILEOPENDIALOGOPTIONS extra) {
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(dialog.out())))) {
    return {};
  }
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | extra);
  dialog->SetTitle(title.c_str());
  const auto specs = Dialogs::fileTypes(filter);
  std::vector<COMDLG_FILTERSPEC> raw;
  for (const auto& [name, patterns] : specs) raw.push_back({name.c_str(), patterns.c_str()});
  if (!raw.empty()) dialog->SetFileTypes(static_cast<UINT>(raw.size()), raw.data());
  if (!startFolder.empty()) {
    ComPtr<IShellItem> folder;
    if (SUCCEEDED(::SHCreateItemFromParsingName(wide(startFolder).c_str(), nullptr,
                                                IID_PPV_ARGS(folder.out())))) {
      dialog->SetFolder(folder.p);
    }
  }
  if (FAILED(dialog->Show(visibleOwner(owner)))) return {};
  std::vector<std::string> paths;
  ComPtr<IShellItemArray> items;
  if (SUCCEEDED(dialog->GetResults(items.out()))) {
    DWORD count = 0;
    items->GetCount(&count);
    for (DWORD i = 0; i < count; ++i) {
      ComPtr<IShellItem> item;
      if (SUCCEEDED(items->GetItemAt(i, item.out()))) {
        std::string path = itemPath(item.p);
        if (!path.empty()) paths.push_back(std::move(path));
      }
    }
  }
  return paths;
}

}  // namespace

void Dialogs::showMessage(HWND owner, std::string_view text, std::string_view caption,
                          MessageIcon icon) {
  if (testMode_) {
    shown_.push_back({std::string(text), std::string(caption), icon, false, {}});
    return;
  }
  ::MessageBoxW(visibleOwner(owner), wide(text).c_str(), wide(caption).c_str(),
                MB_OK | iconFlag(icon));
}

bool Dialogs::askYesNo(HWND owner, std::string_view text, std::string_view caption) {
  if (testMode_) {
    shown_.push_back({std::string(text), std::string(caption), MessageIcon::Question, true, {}});
    if (answers_.empty()) return false;
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
  }
  return ::MessageBoxW(visibleOwner(owner), wide(text).c_str(), wide(caption).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

YesNoChoice Dialogs::askYesNoWithCheckBox(HWND owner, std::string_view text,
                                          std::string_view caption, std::string_view checkBoxText) {
  YesNoChoice choice;
  if (testMode_) {
    shown_.push_back({std::string(text), std::string(caption), MessageIcon::Question, true,
                      std::string(checkBoxText)});
    if (!answers_.empty()) {
      choice.yes = answers_.front();
      answers_.pop_front();
    }
    if (!checks_.empty()) {
      choice.checked = checks_.front();
      checks_.pop_front();
    }
    return choice;
  }
  // A task dialog carries the check box; it is in common controls 6 only,
  // so it is looked up, and a plain question stands in without it.
  using TaskDialogFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  const auto taskDialog = reinterpret_cast<TaskDialogFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"comctl32.dll"), "TaskDialogIndirect")));
  if (!taskDialog) {
    choice.yes = askYesNo(owner, text, caption);
    return choice;
  }
  const std::wstring wtext = wide(text);
  const std::wstring wcaption = wide(caption);
  const std::wstring wcheck = wide(checkBoxText);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = visibleOwner(owner);
  config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_NO_BUTTON;
  config.pszWindowTitle = wcaption.c_str();
  config.pszMainIcon = TD_INFORMATION_ICON;
  config.pszContent = wtext.c_str();
  config.pszVerificationText = wcheck.c_str();
  config.nDefaultButton = IDNO;
  int button = IDNO;
  BOOL checked = FALSE;
  if (SUCCEEDED(taskDialog(&config, &button, nullptr, &checked))) {
    choice.yes = button == IDYES;
    choice.checked = checked != FALSE;
  }
  return choice;
}

std::vector<std::string> Dialogs::chooseOpenFiles(HWND owner, std::string_view filter,
                                                  std::string_view startFolder, bool several) {
  if (testMode_) {
    opened_.push_back({std::string(filter), std::string(startFolder), several});
    if (files_.empty()) return {};
    std::vector<std::string> paths = std::move(files_.front());
    files_.pop_front();
    return paths;
  }
  return runOpenDialog(owner, L"Tunebelt - Open", filter, startFolder,
                       several ? FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST : FOS_FILEMUSTEXIST);
}

std::optional<std::string> Dialogs::chooseFolder(HWND owner, std::string_view startFolder) {
  if (testMode_) {
    opened_.push_back({"folder", std::string(startFolder), false});
    if (folders_.empty()) return std::nullopt;
    std::optional<std::string> folder = std::move(folders_.front());
    folders_.pop_front();
    return folder;
  }
  const auto chosen = runOpenDialog(owner, L"Tunebelt - Please Select your mod folder", "",
                                    startFolder, FOS_PICKFOLDERS);
  if (chosen.empty()) return std::nullopt;
  return chosen.front();
}

void Dialogs::setTestMode(bool on) {
  testMode_ = on;
}

void Dialogs::queueAnswer(bool yes) {
  answers_.push_back(yes);
}

void Dialogs::queueCheckBox(bool checked) {
  checks_.push_back(checked);
}

void Dialogs::queueFiles(std::vector<std::string> paths) {
  files_.push_back(std::move(paths));
}

void Dialogs::queueFolder(std::optional<std::string> folder) {
  folders_.push_back(std::move(folder));
}

void Dialogs::clearShown() {
  shown_.clear();
  opened_.clear();
}

}  // namespace tunebelt::win32
