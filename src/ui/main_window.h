#pragma once
// The main window: the tab control with its two pages and every control of
// the window's control table, each QObject named with its control name.
// It keeps each edit box's Text (GBK) beside the widget, runs the timer,
// closes on Esc, lets the user drag it by its client area, labels and
// group boxes, and routes dropped files to the innermost registered drop
// area. Control events are reported to WindowEvents.

#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/drop_routing.h"
#include "app/startup.h"
#include "core/window_layout.h"
#include "runtime/text.h"
#include "runtime/tree_model.h"

class QAbstractButton;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace qm {

class BoxFiller;
class TreeBox;

/// What the window reports; the shell runs the bound operations.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  /// A button, check box or radio button was clicked by the user.
  virtual void OnClicked(std::string_view control) = 0;
  virtual void OnTimerTick(std::string_view timer) = 0;
  virtual void OnFilesDropped(std::string_view drop_target, const Text& dropped) = 0;
  virtual void OnWindowClosed() = 0;
  /// Asked before the window closes (close button or Esc); false keeps it
  /// open.
  virtual bool MayClose() { return true; }
  /// The user dragged tree item `item` and let it go on item `onto`.
  virtual void OnTreeItemDragged(int item, int onto) {
    (void)item;
    (void)onto;
  }
};

class MainWindow : public QWidget, public DropRegistrar {
 public:
  MainWindow(TreeModel& tree, WindowEvents& events);
  ~MainWindow() override;

  /// The widget of a control with a window, or nullptr (timers, drop
  /// targets, unknown names).
  QWidget* Control(std::string_view name) const;
  QAbstractButton* Button(std::string_view name) const;
  QTabWidget& Tabs() const { return *tabs_; }
  TreeBox& Tree() const { return *tree_box_; }
  QTimer& Timer() const { return *timer_; }

  /// An edit box's text: the bytes last written, until the user edits it;
  /// then the widget's text converted to GBK (multi-line boxes with CR LF).
  Text EditText(std::string_view name) const;
  void SetEditText(std::string_view name, const Text& text);

  /// The timer's interval; 0 while stopped.
  int TimerInterval() const { return interval_; }
  /// Negative counts as 0 (stopped); the value it already has changes
  /// nothing, so a running timer is not restarted.
  void SetTimerInterval(int milliseconds);

  /// Ends a pending tree reset so that the view shows the tree again.
  void Settle();

  /// Drops files from the file manager (paths as file-system bytes) on the
  /// middle of `control`, through the same drag events a real drop sends.
  /// A control on the page that is not shown is aimed at on its own page.
  /// The bound handler runs from the event queue.
  void DropFiles(std::string_view control, const std::vector<std::string>& paths);

  /// What choosing `folder` (UTF-8) in the folder chooser of `box` does:
  /// exactly what the user's drop of it would do. On the page "网页制作"
  /// the box's tool is selected first, since a drop there goes to the
  /// selected tool.
  void ChooseFolder(std::string_view box, const std::string& folder);

  /// Puts the caret of an edit box after its last character.
  void CaretToEnd(std::string_view name);

  /// The drop target whose area contains `widget` innermost, or empty.
  std::string_view DropTargetAt(QWidget* widget) const;

  // DropRegistrar.
  void RegisterDropArea(std::string_view drop_target, std::string_view control) override;

  /// Shows `text` in the status line at the right of the tab bar (empty:
  /// clears it).
  void ShowStatus(const QString& text);
  QString Status() const;

  /// Names the open folder or book in the title bar (WindowTitleFor), a
  /// name without a GBK form as it is on disk (WindowText).
  void ShowTitle(const Text& title);

  /// Places the window in the middle of its screen.
  void Centre();
  /// Places every control for the window's present size: at the start
  /// size where the layout table puts it, larger or moved along when the
  /// window is larger (GrownRect). The coordinates of page controls are
  /// relative to the tab control's rectangle.
  void PlacePageControls();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct EditBox {
    QLineEdit* line = nullptr;
    QPlainTextEdit* multi = nullptr;
    Text text;            // the bytes last written by the program
    bool edited = false;  // the user changed it since
  };

  void Build();
  QWidget* MakeControl(const ControlInfo& entry, QWidget* parent);
  QWidget* MakeTabs(QWidget* parent);
  /// A radio button, check box or push button that reports its clicks.
  QWidget* MakeButton(const ControlInfo& entry, QWidget* parent);
  void MakeEditBox(const ControlInfo& entry, QWidget* parent);
  void AddFolderChooser(std::string_view box);
  void AskForFolder(std::string_view box);
  /// A folder box's tooltip: the full path it holds, then what it is for.
  void UpdateFolderTip(std::string_view box);
  /// Delete, Ctrl+Up, Ctrl+Down and Ctrl+Z in the tree click the button
  /// that does the same; true when `key` was one of them.
  bool TreeShortcut(QKeyEvent* key);
  bool HandleDrag(QWidget* receiver, QEvent* event);
  bool HandleWindowDrag(QWidget* receiver, QEvent* event);
  bool Mine(QObject* object) const;

  TreeModel& tree_;
  WindowEvents& events_;
  QTabWidget* tabs_ = nullptr;
  QWidget* pages_[2] = {nullptr, nullptr};
  TreeBox* tree_box_ = nullptr;
  QTimer* timer_ = nullptr;
  QLabel* status_ = nullptr;
  BoxFiller* filler_ = nullptr;
  int interval_ = 0;
  std::map<std::string, QWidget*, std::less<>> controls_;
  mutable std::map<std::string, EditBox, std::less<>> edits_;
  bool setting_text_ = false;
  DropAreas drop_areas_;
  bool dragging_window_ = false;
  QPoint drag_offset_;
};

}  // namespace qm
