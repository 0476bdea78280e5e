#pragma once
// What the window Form1 needs from a GUI toolkit: each control as a small interface. A backend
// (Qt, Win32) only draws these and forwards the user's events to Form1's handlers; every decision
// lives in Form1. Texts are UTF-8; a lone CR inside a text is a line break (see display_text.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamberlin {

class Control {
 public:
  virtual ~Control() = default;
  virtual void setVisible(bool visible) = 0;
  virtual void setEnabled(bool enabled) = 0;
};

/// A label or a push button.
class TextControl : public Control {
 public:
  virtual void setText(const std::string& text) = 0;
};

/// A picture display.
class PictureControl : public Control {
 public:
  /// Decodes a picture file's bytes (the format told by content, not by the file's name) and
  /// shows it stretched over the control. Returns false, showing nothing new, when the bytes are
  /// not a picture the platform can decode.
  virtual bool showStretched(const std::string& fileBytes) = 0;
  /// Shows `rgb` (width * height pixels, 3 bytes each, rows top to bottom) at its own size, as
  /// many pixels as it has at 96 dpi, scaled like the layout on denser screens.
  virtual void showPixels(int width, int height, const std::vector<std::uint8_t>& rgb) = 0;
};

/// The drive list: one text per drive; Form1 is told of a change through Drive1_Change.
class DriveListControl : public Control {
 public:
  virtual void setDrives(const std::vector<std::string>& texts, std::size_t current) = 0;
};

/// One row of the folder list: the folders from the root down to the current one, open, then
/// the current folder's subfolders, closed, one level deeper.
struct DirRow {
  std::string text;
  int indent = 0;
  bool open = false;
  /// The row's folder as a full native path, for a name the list has to cut short.
  std::string path;
};

/// The folder list. The user highlights rows (Form1::Dir1_Highlight) and opens one with a
/// double click or Enter (Form1::Dir1_Open).
class DirListControl : public Control {
 public:
  /// Replaces the rows; `highlighted` is the row with the selection (the current folder's).
  virtual void setRows(const std::vector<DirRow>& rows, std::size_t highlighted) = 0;
};

/// A progress bar running from 0 to 1000.
class ProgressControl : public Control {
 public:
  virtual void setPermille(int permille) = 0;
};

/// A timer; an interval of 0 stops it. Each tick calls Form1::Timer1_Timer.
class TimerControl {
 public:
  virtual ~TimerControl() = default;
  virtual void setInterval(int milliseconds) = 0;
};

/// The window itself.
class WindowControl {
 public:
  virtual ~WindowControl() = default;
  virtual void setCaption(const std::string& caption) = 0;
  /// Asks the window to close. The backend calls Form1::Form_Unload, which may keep it open.
  virtual void requestClose() = 0;
  /// Gives the window the input focus.
  virtual void activate() = 0;
  /// Makes the window visible (shows it when it is not).
  virtual void makeVisible() = 0;
  /// Lets the window repaint while a long operation runs inside an event handler. Delivers no
  /// click or key press; a close request that comes in goes to Form1::Form_Unload as usual.
  virtual void refresh() = 0;
};

/// Every control of Form1. `List1`, `File1` and `Label6` hold data only and live in Form1.
class Form1View {
 public:
  virtual ~Form1View() = default;
  virtual WindowControl& window() = 0;
  virtual TextControl& Label1() = 0;
  virtual TextControl& Label2() = 0;
  virtual TextControl& Label3() = 0;
  virtual TextControl& Label4() = 0;
  virtual TextControl& Label5() = 0;
  virtual TextControl& Command2() = 0;
  virtual TextControl& Command3() = 0;
  virtual PictureControl& Image1() = 0;
  virtual PictureControl& Image2() = 0;
  virtual Control& Picture1() = 0;
  virtual DriveListControl& Drive1() = 0;
  virtual DirListControl& Dir1() = 0;
  virtual ProgressControl& ProgressBar1() = 0;
  virtual TimerControl& Timer1() = 0;
};

}  // namespace tamberlin
