// The update download's progress window in the Windows view: the update library's view of
// it (status text, bar, time left, rate) in a dialog of the program that does not stop the
// window, whose Cancel stops the download.
#pragma once

#include <string>

#include "ui/win32/dialog_calls.h"

namespace ui::win32 {

class UpdateProgress : public ::win32::view::DialogEvents {
 public:
  struct Shown {
    std::string caption, status, timeLeft, rate;
    int bar = 0;  // 0..100
    bool visible = false;
  };

  UpdateProgress() = default;
  ~UpdateProgress() override;
  UpdateProgress(const UpdateProgress&) = delete;
  UpdateProgress& operator=(const UpdateProgress&) = delete;

  // Shows what the library's view says (the window's thread only); the dialog is made the
  // first time, owned by owner.
  void Present(const Shown& shown, void* owner);
  // The dialog once made, for its dialog keys; null before.
  void* Handle() const { return dialog_; }

  void Command(int id, int code) override;  // Cancel, Escape and the close box

 private:
  void* dialog_ = nullptr;
};

}  // namespace ui::win32
