// quillmere: the main window; `quillmere PATH` opens it with PATH dropped on
// the CHM tab's folder box; `quillmere --script FILE` (FILE "-": standard
// input) drives the same window invisibly from a script.

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "app/command_line.h"
#include "ui/look.h"
#include "ui/script_driver.h"
#include "ui/shell.h"
#include "ui/translations.h"

namespace {

// Qt ends the process (abort) when no display can be opened; we say so in
// one line and exit with status 1 instead. Other messages while the
// application starts are not for the user.
[[noreturn]] void NoDisplay() {
  std::cerr << "quillmere: cannot open a display (is DISPLAY or WAYLAND_DISPLAY set?)\n";
  std::_Exit(1);
}

void NoDisplayHandler(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type == QtFatalMsg) NoDisplay();
}

bool DisplayNamed() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

int RunWindow(int argc, char** argv, const std::vector<std::string>& paths) {
  if (!DisplayNamed()) NoDisplay();
  // Qt sees the program name only: every argument is ours.
  (void)argc;
  int qt_argc = 1;
  QtMessageHandler previous = qInstallMessageHandler(&NoDisplayHandler);
  QApplication app(qt_argc, argv);
  qInstallMessageHandler(previous);
  qm::LoadQtTranslations(app);
  qm::ApplyLook(app);
  qm::Shell shell;
  shell.Start();
  if (!paths.empty()) QTimer::singleShot(0, &shell.Window(), [&shell, paths] { shell.OpenPaths(paths); });
  return app.exec() == 0 ? 0 : 1;
}

int RunScript(int argc, char** argv, const std::string& script) {
  // The script drives the real window without showing it on screen.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::ifstream file;
  std::istream* in = &std::cin;
  if (script != "-") {
    file.open(script, std::ios::binary);
    if (!file) {
      std::cerr << "error: cannot read the script " << script << "\n";
      return 2;
    }
    in = &file;
  }
  (void)argc;
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  qm::ApplyLook(app);
  qm::ScriptDriver* driver = nullptr;
  qm::Shell shell([&driver](const std::string& line) { driver->Print(line); });
  qm::ScriptDriver script_driver(shell, std::cout);
  driver = &script_driver;
  shell.Start();
  return script_driver.Run(*in, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  const qm::CommandLine line = qm::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case qm::CommandLine::Action::kHelp: std::cout << qm::HelpText(); return 0;
    case qm::CommandLine::Action::kVersion: std::cout << qm::VersionText(); return 0;
    case qm::CommandLine::Action::kError:
      std::cerr << "quillmere: " << line.error << "\n"
                << "usage: quillmere [PATH...] | --script FILE | --help | --version\n";
      return 2;
    case qm::CommandLine::Action::kScript: return RunScript(argc, argv, line.script);
    case qm::CommandLine::Action::kWindow: break;
  }
  return RunWindow(argc, argv, line.paths);
}
