#pragma once
// The wizard's window on Qt Widgets. It builds the controls from the layout table, implements
// Form1View for Form1, and forwards every user event to Form1's handler of the same name through
// runEvent(), so no exception crosses Qt's event loop. When a handler ends the program the window
// hides (no close question) and the end callback receives the exit code.

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

#include "gui/qt/qt_controls.h"
#include "wizard/form1_view.h"
#include "wizard/layout.h"

namespace tamberlin {

class Form1;
class MessageBoxes;

class QtForm1Window : public QWidget, public Form1View, public WindowControl {
 public:
  /// `boxes` reports failures that reach the event guard. `dpi` scales the twips of the layout;
  /// 0 takes the primary screen's logical dots per inch.
  explicit QtForm1Window(MessageBoxes& boxes, double dpi = 0);
  ~QtForm1Window() override;

  /// Connects the window to its logic; events before this do nothing.
  void attach(Form1& form) { form_ = &form; }
  /// Runs `handler` as an event of the window; ends the program when it says so.
  void dispatch(const std::function<void()>& handler);
  bool ended() const { return ended_; }
  double dpi() const { return dpi_; }

  /// The widget of a control (nullptr for the data-only controls List1, File1, Label6).
  QWidget* widget(ControlId id) const;

  // Form1View
  WindowControl& window() override { return *this; }
  TextControl& Label1() override { return *label1_; }
  TextControl& Label2() override { return *label2_; }
  TextControl& Label3() override { return *label3_; }
  TextControl& Label4() override { return *label4_; }
  TextControl& Label5() override { return *label5_; }
  TextControl& Command2() override { return *command2_; }
  TextControl& Command3() override { return *command3_; }
  PictureControl& Image1() override { return *image1_; }
  PictureControl& Image2() override { return *image2_; }
  Control& Picture1() override { return *picture1_; }
  DriveListControl& Drive1() override { return *drive1_; }
  DirListControl& Dir1() override { return *dir1_; }
  ProgressControl& ProgressBar1() override { return *progress_; }
  TimerControl& Timer1() override { return *timer1_; }

  // WindowControl
  void setCaption(const std::string& caption) override;
  void requestClose() override { close(); }
  void activate() override;
  void makeVisible() override;
  void refresh() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  void place(QWidget* w, ControlId id);
  void wireEvents();
  void endProgram(int code);

  MessageBoxes& boxes_;
  double dpi_;
  Form1* form_ = nullptr;
  bool ended_ = false;
  std::map<ControlId, QWidget*> widgets_;
  QTimer* qtimer_ = nullptr;
  QElapsedTimer sinceRefresh_;

  std::unique_ptr<QtLabel> label1_, label2_, label3_, label4_, label5_;
  std::unique_ptr<QtButton> command2_, command3_;
  std::unique_ptr<QtPicture> image1_, image2_;
  std::unique_ptr<QtPanel> picture1_;
  std::unique_ptr<QtDriveList> drive1_;
  std::unique_ptr<QtDirList> dir1_;
  std::unique_ptr<QtProgress> progress_;
  std::unique_ptr<QtTimer> timer1_;
};

}  // namespace tamberlin
