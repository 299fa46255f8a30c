#pragma once
// The running program: the runtime services, the program-wide state, the
// main window and the dispatch of every window event to its bound
// operation. One operation runs to completion before the next event; a
// timer tick that arrives while one runs (inside a message box's event
// loop) is skipped, and the timer ticks again one period later.

#include <functional>
#include <memory>
#include <string>

#include "core/context.h"
#include "runtime/process.h"
#include "runtime/random.h"
#include "runtime/real_file_system.h"
#include "runtime/tree_model.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"
#include "ui/qt_controls.h"

namespace qm {

class Shell : public WindowEvents {
 public:
  /// `print`, when set, receives the driver's output lines (message boxes)
  /// instead of showing them.
  explicit Shell(std::function<void(const std::string&)> print = nullptr);
  ~Shell() override;

  /// Creates the window with all controls, runs the created event
  /// (OnMainWindowCreated) and shows the window.
  void Start();

  MainWindow& Window() { return *window_; }
  /// The progress that operations report to (the dialog, or a silent one).
  Progress& CurrentProgress() { return ctx_->progress; }
  QtControls& Ui() { return *controls_; }
  Context& Ctx() { return *ctx_; }
  TreeModel& Tree() { return tree_; }
  ProgramState& State() { return state_; }
  FileSystem& Files() { return fs_; }
  /// Shows the tab "CHM制作" and drops `paths` (relative ones taken from the
  /// current directory) on its folder box, as the file manager would.
  void OpenPaths(const std::vector<std::string>& paths);

  /// True once the window has been closed.
  bool Closed() const { return closed_; }
  /// Runs when the window closes (after Closed() becomes true).
  void SetCloseListener(std::function<void()> listener) { on_close_ = std::move(listener); }

  // WindowEvents.
  void OnClicked(std::string_view control) override;
  void OnTimerTick(std::string_view timer) override;
  void OnFilesDropped(std::string_view drop_target, const Text& dropped) override;
  void OnWindowClosed() override;
  bool MayClose() override;
  void OnTreeItemDragged(int item, int onto) override;

 private:
  template <typename F>
  void Dispatch(F&& operation);

  RealFileSystem fs_;
  RealProcessRunner processes_;
  TreeModel tree_;
  Random random_;
  ProgramState state_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<QtControls> controls_;
  std::unique_ptr<ProgressDialog> progress_dialog_;  // the window's; none in script mode
  Progress quiet_progress_;                          // script mode: no dialog
  std::unique_ptr<Context> ctx_;
  std::function<void(const std::string&)> print_;
  std::function<void()> on_close_;
  std::vector<std::pair<std::string, Text>> deferred_drops_;  // drops that came during an operation
  int depth_ = 0;
  bool closed_ = false;
};

}  // namespace qm
