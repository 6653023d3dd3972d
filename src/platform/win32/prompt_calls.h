// Seam: the system's message box and its common dialogs for opening files and browsing for
// a folder, in plain types.
#pragma once

#include <optional>
#include <string>

namespace win32 {

// MessageBoxA: the button pressed (IDOK, IDYES ...), 0 when no box could be shown.
int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned type);

struct OpenFileQuestion {
  void* owner = nullptr;
  std::string title;     // empty: the dialog's own
  std::string folder;    // where it starts; empty: the system's choice
  std::string selected;  // the file name shown chosen at the start
  std::string filter;    // the system's form: "name\0pattern\0...\0\0"; empty for none
  bool several = false;
};

// GetOpenFileNameA for existing files. The answer as the system gives it: one path, or for
// several files their folder and their names, separated by "\0"; nothing when the person
// cancels or no dialog could be shown. The current directory is kept.
std::optional<std::string> AskOpenFileName(const OpenFileQuestion& question);

// SHBrowseForFolderA for a file system folder, with the dialog's caption (empty: its own),
// the text above the tree and the folder shown chosen at the start (empty: none); the path
// (SHGetPathFromIDListA), or nothing when the person cancels.
std::optional<std::string> AskFolder(void* owner, const std::string& caption,
                                     const std::string& text, const std::string& selected);

// lstrcmpiA: the same text but for case, as the user's locale compares.
bool SameTextNoCase(const std::string& a, const std::string& b);

}  // namespace win32
