#include "platform/win32/prompt_calls.h"

#include <cstring>
#include <vector>

#include "platform/win32/windows_door.h"

// After <windows.h>: the common dialogs and the shell's folder browser need its types.
#include <cderr.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

namespace win32 {
namespace {

// Room for the answer of a dialog that chooses several files: their folder and their names.
constexpr DWORD kSeveralFilesLength = 32 * 1024;

// What the folder browser is given to show once it is up.
struct BrowseStart {
  const char* caption;
  const char* selected;
};

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
  if (message != BFFM_INITIALIZED) return 0;
  const auto* start = reinterpret_cast<const BrowseStart*>(data);
  if (*start->caption) ::SetWindowTextA(dialog, start->caption);
  if (*start->selected)
    ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start->selected));
  return 0;
}

// The dialog changes the current directory to the folder it was in (on newer systems even
// with OFN_NOCHANGEDIR); the program's own stays as it was.
class KeptDirectory {
 public:
  KeptDirectory() { kept_ = ::GetCurrentDirectoryA(MAX_PATH, folder_) != 0; }
  ~KeptDirectory() {
    if (kept_) ::SetCurrentDirectoryA(folder_);
  }
  KeptDirectory(const KeptDirectory&) = delete;
  KeptDirectory& operator=(const KeptDirectory&) = delete;

 private:
  char folder_[MAX_PATH] = {};
  bool kept_ = false;
};

}  // namespace

int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned type) {
  return ::MessageBoxA(static_cast<HWND>(owner), text, caption, type);
}

std::optional<std::string> AskOpenFileName(const OpenFileQuestion& question) {
  std::vector<char> answer(question.several ? kSeveralFilesLength : MAX_PATH + 1, '\0');
  question.selected.copy(answer.data(), answer.size() - 2);

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(question.owner);
  dialog.lpstrFilter = question.filter.empty() ? nullptr : question.filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = answer.data();
  dialog.nMaxFile = static_cast<DWORD>(answer.size());
  dialog.lpstrInitialDir = question.folder.empty() ? nullptr : question.folder.c_str();
  dialog.lpstrTitle = question.title.empty() ? nullptr : question.title.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_HIDEREADONLY |
                 OFN_NOCHANGEDIR | (question.several ? OFN_ALLOWMULTISELECT : 0);

  KeptDirectory kept;
  BOOL chosen = ::GetOpenFileNameA(&dialog);
  // 95, 98 and NT 4 know only the structure without the places bar's fields.
  if (!chosen && ::CommDlgExtendedError() == CDERR_STRUCTSIZE) {
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    chosen = ::GetOpenFileNameA(&dialog);
  }
  if (!chosen) return std::nullopt;

  // Several files: the folder ends before the first name's offset, and the names end at the
  // first "\0\0". One file: its whole path, however it was chosen.
  const std::size_t first = std::strlen(answer.data());
  if (!question.several || dialog.nFileOffset <= first) return std::string(answer.data(), first);
  std::size_t end = first;
  while (end + 1 < answer.size() && !(answer[end] == '\0' && answer[end + 1] == '\0')) ++end;
  return std::string(answer.data(), end);
}

std::optional<std::string> AskFolder(void* owner, const std::string& caption,
                                     const std::string& text, const std::string& selected) {
  // The browser needs COM on the thread; a thread that has it in another model keeps it.
  const HRESULT com = ::CoInitialize(nullptr);

  char name[MAX_PATH] = {};
  BrowseStart start{caption.c_str(), selected.c_str()};
  BROWSEINFOA browse{};
  browse.hwndOwner = static_cast<HWND>(owner);
  browse.pszDisplayName = name;
  browse.lpszTitle = text.empty() ? nullptr : text.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(&start);

  std::optional<std::string> folder;
  if (LPITEMIDLIST list = ::SHBrowseForFolderA(&browse)) {
    char path[MAX_PATH] = {};
    if (::SHGetPathFromIDListA(list, path)) folder = path;
    ::CoTaskMemFree(list);
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return folder;
}

bool SameTextNoCase(const std::string& a, const std::string& b) {
  return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace win32
