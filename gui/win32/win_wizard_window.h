#pragma once
// Form1's window on the plain Win32 API: the controls of the layout table placed through the
// window's DPI, the timer, and the message loop. Every event goes to Form1 through runEvent(),
// so no exception ever leaves a window procedure.
#include <windows.h>

#include <functional>
#include <optional>

#include "gui/win32/win_controls.h"
#include "wizard/form1_view.h"
#include "wizard/layout.h"

namespace tamberlin {

class Form1;
class MessageBoxes;

class Win32WizardWindow : public Form1View, public WindowControl, public TimerControl {
 public:
  Win32WizardWindow(HINSTANCE instance, MessageBoxes& boxes);
  ~Win32WizardWindow() override;
  Win32WizardWindow(const Win32WizardWindow&) = delete;
  Win32WizardWindow& operator=(const Win32WizardWindow&) = delete;

  /// Makes the window and its controls, hidden. False when the system refuses.
  bool create();
  HWND hwnd() const { return hwnd_; }
  /// Runs `form`: its load event, then `opening` (nothing when empty) as one more handler
  /// before the window is shown, then the message loop until the program ends; returns the
  /// exit code.
  int run(Form1& form, const std::function<void()>& opening = {});
  /// Only `form`'s load event: the exit code when it ended the program, else nothing.
  std::optional<int> load(Form1& form);
  /// Shows the window without activating it and paints it; false when it is gone.
  bool showAndPaint();

  // Form1View.
  WindowControl& window() override { return *this; }
  TextControl& Label1() override { return label1_; }
  TextControl& Label2() override { return label2_; }
  TextControl& Label3() override { return label3_; }
  TextControl& Label4() override { return label4_; }
  TextControl& Label5() override { return label5_; }
  TextControl& Command2() override { return command2_; }
  TextControl& Command3() override { return command3_; }
  PictureControl& Image1() override { return image1_; }
  PictureControl& Image2() override { return image2_; }
  Control& Picture1() override { return picture1_; }
  DriveListControl& Drive1() override { return drive1_; }
  DirListControl& Dir1() override { return dir1_; }
  ProgressControl& ProgressBar1() override { return progress_; }
  TimerControl& Timer1() override { return *this; }

  // WindowControl.
  void setCaption(const std::string& caption) override;
  void requestClose() override;
  void activate() override;
  void makeVisible() override;
  void refresh() override;

  // TimerControl.
  void setInterval(int milliseconds) override;

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void onCommand(int id, int code);
  void onClose();
  HWND makeChild(ControlId id, const wchar_t* windowClass, DWORD style);
  HWND windowOf(ControlId id) const;
  void placeControls(int dpi);
  /// Runs one of Form1's handlers; a deliberate end or an unhandled failure ends the program.
  void dispatch(const std::function<void()>& handler);
  void endProgram(int exitCode);

  HINSTANCE instance_;
  MessageBoxes& boxes_;
  Form1* form_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND focus_ = nullptr;  ///< the control that had the focus when the window was deactivated
  HFONT fonts_[3] = {nullptr, nullptr, nullptr};
  int dpi_ = 96;
  int exitCode_ = 0;
  bool ending_ = false;

  TextWindow label1_, label2_, label3_, label4_, label5_, command2_, command3_;
  PictureWindow image1_, image2_;
  PanelWindow picture1_;
  DriveCombo drive1_;
  DirListWindow dir1_;
  ProgressWindow progress_;
};

}  // namespace tamberlin
