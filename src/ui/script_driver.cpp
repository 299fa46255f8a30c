#include "ui/script_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTimer>
#include <istream>
#include <ostream>

#include "runtime/encoding.h"
#include "ui/shell.h"
#include "ui/tree_box.h"

namespace qm {
namespace {

std::string Flag(bool on) { return on ? "1" : "0"; }

// Runs what the window posted for itself (queued drop handlers, layout),
// but no timer: ticks arrive only while a `wait` lets time pass.
void DeliverPosted() { QCoreApplication::sendPostedEvents(); }

}  // namespace

ScriptDriver::ScriptDriver(Shell& shell, std::ostream& out) : shell_(shell), out_(out) {}

void ScriptDriver::Print(const std::string& line) { out_ << line << '\n' << std::flush; }

int ScriptDriver::Run(std::istream& in, std::ostream& err) {
  std::string line;
  long line_number = 0;
  DeliverPosted();
  while (std::getline(in, line)) {
    ++line_number;
    ScriptLineResult parsed = ParseScriptLine(line);
    if (parsed.skip) continue;
    std::string error = parsed.error;
    if (parsed.ok && Execute(parsed.command, &error)) {
      DeliverPosted();
      if (shell_.Closed()) {
        Print("closed");
        return 0;
      }
      continue;
    }
    err << "error: line " << line_number << ": " << error << '\n' << std::flush;
    return 2;
  }
  return 0;
}

bool ScriptDriver::Execute(const ScriptCommand& cmd, std::string* error) {
  MainWindow& window = shell_.Window();
  auto disabled = [&](QWidget* w) {
    if (w->isEnabled()) return false;
    Print("disabled " + cmd.control);
    return true;
  };
  switch (cmd.verb) {
    case ScriptVerb::kPage: window.Tabs().setCurrentIndex(cmd.control == kWebPage ? 0 : 1); return true;
    case ScriptVerb::kChoose:
    case ScriptVerb::kClick: {
      QAbstractButton* b = window.Button(cmd.control);
      if (!disabled(b)) b->click();
      return true;
    }
    case ScriptVerb::kTick:
    case ScriptVerb::kUntick: {
      QAbstractButton* b = window.Button(cmd.control);
      bool want = cmd.verb == ScriptVerb::kTick;
      if (!disabled(b) && b->isChecked() != want) b->click();
      return true;
    }
    case ScriptVerb::kType: {
      QWidget* w = window.Control(cmd.control);
      if (!disabled(w)) {
        window.SetEditText(cmd.control, cmd.text);
        window.CaretToEnd(cmd.control);
      }
      return true;
    }
    case ScriptVerb::kDrop: Drop(cmd); return true;
    case ScriptVerb::kSelect: return Select(cmd, error);
    case ScriptVerb::kWait: Wait(cmd.number); return true;
    case ScriptVerb::kKey: PressKey(cmd); return true;
    case ScriptVerb::kShow: Show(cmd); return true;
    case ScriptVerb::kTree: PrintTree(); return true;
    case ScriptVerb::kState: PrintState(); return true;
  }
  return true;
}

bool ScriptDriver::Select(const ScriptCommand& cmd, std::string* error) {
  if (cmd.number >= shell_.Tree().Count()) {
    *error = "wrong argument: tree item " + std::to_string(cmd.number) + " does not exist (" +
             std::to_string(shell_.Tree().Count()) + " items)";
    return false;
  }
  shell_.Window().Tree().SelectByUser(static_cast<int>(cmd.number));
  return true;
}

void ScriptDriver::PrintTree() {
  TreeModel& tree = shell_.Tree();
  for (int i = 0; i < tree.Count(); ++i) {
    Print(std::to_string(i) + " " + std::to_string(tree.Depth(i)) + " " + std::to_string(tree.Image(i)) + "/" +
          std::to_string(tree.SelectedImage(i)) + " " + std::to_string(tree.Data(i)) + " " +
          FormatScriptText(tree.ItemText(i)));
  }
  Print("end");
}

void ScriptDriver::PrintState() {
  const ProgramState& s = shell_.State();
  Print("DateText=\"" + FormatScriptText(s.DateText) + "\"");
  Print("BookName=\"" + FormatScriptText(s.BookName) + "\"");
  Print("DocumentOrderList=\"" + FormatScriptText(s.DocumentOrderList) + "\"");
}

void ScriptDriver::Drop(const ScriptCommand& cmd) {
  shell_.Window().DropFiles(cmd.control, cmd.paths);
  DeliverPosted();
}

void ScriptDriver::PressKey(const ScriptCommand& cmd) {
  QWidget* w = shell_.Window().Control(cmd.control);
  w->setFocus(Qt::OtherFocusReason);
  Qt::Key key = cmd.key == ScriptKey::kEsc ? Qt::Key_Escape : Qt::Key_Return;
  QString text = cmd.key == ScriptKey::kEsc ? QString(QChar(0x1B)) : QString(QChar('\r'));
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  if (shell_.Closed()) return;
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
}

void ScriptDriver::Show(const ScriptCommand& cmd) {
  QtControls& ui = shell_.Ui();
  const std::string& name = cmd.control;
  switch (cmd.kind) {
    case ControlKind::kEditBox:
      Print(name + " text=\"" + FormatScriptText(ui.GetText(name)) + "\" disabled=" + Flag(ui.IsDisabled(name)));
      break;
    case ControlKind::kButton: Print(name + " disabled=" + Flag(ui.IsDisabled(name))); break;
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
      Print(name + " ticked=" + Flag(ui.IsTicked(name)) + " disabled=" + Flag(ui.IsDisabled(name)));
      break;
    case ControlKind::kTimer: Print(name + " interval=" + std::to_string(ui.Interval(name))); break;
    case ControlKind::kTreeBox:
      Print(name + " selection=" + std::to_string(shell_.Tree().Selection()) + " always_show_selection=" +
            Flag(ui.AlwaysShowSelection(name)) + " count=" + std::to_string(shell_.Tree().Count()));
      break;
    default: break;
  }
}

void ScriptDriver::Wait(long long milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(std::chrono::milliseconds(milliseconds), &loop, &QEventLoop::quit);
  shell_.SetCloseListener([&loop] { loop.quit(); });
  loop.exec();
  shell_.SetCloseListener(nullptr);
}

}  // namespace qm
