#pragma once
// The script driver: carries out script lines on the real window, each as
// the user's own action, and prints what it is asked to show.

#include <iosfwd>
#include <string>

#include "app/script_syntax.h"

namespace qm {

class Shell;

class ScriptDriver {
 public:
  ScriptDriver(Shell& shell, std::ostream& out);

  /// Runs every line of `in`. Returns 0 when every line ran or the window
  /// was closed (after printing "closed"); 2 after printing
  /// "error: line N: WHY" to `err` for a line that cannot run.
  int Run(std::istream& in, std::ostream& err);

  /// Carries out one checked command; false with `error` set when it cannot
  /// run (a tree item that does not exist).
  bool Execute(const ScriptCommand& command, std::string* error);

  /// Prints one output line.
  void Print(const std::string& line);

 private:
  void Drop(const ScriptCommand& command);
  /// Selects a tree item as the user does; false with `error` set when it
  /// does not exist.
  bool Select(const ScriptCommand& command, std::string* error);
  void PrintTree();
  void PrintState();
  void PressKey(const ScriptCommand& command);
  void Show(const ScriptCommand& command);
  void Wait(long long milliseconds);

  Shell& shell_;
  std::ostream& out_;
};

}  // namespace qm
