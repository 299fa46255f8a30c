// quillmere: the main window; `quillmere --script FILE` (FILE "-": standard
// input) drives the same window invisibly from a script.

#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "ui/script_driver.h"
#include "ui/shell.h"

namespace {

int Usage() {
  std::cerr << "usage: quillmere [--script FILE]   (FILE - reads standard input)\n";
  return 2;
}

void SetLook(QApplication& app) {
  app.setStyle(QStyleFactory::create("Fusion"));
  // The window's geometry is laid out for a 12-pixel interface font.
  QFont font = app.font();
  font.setFamilies({"WenQuanYi Micro Hei", "Noto Sans CJK SC", font.family()});
  font.setPixelSize(12);
  app.setFont(font);
}

}  // namespace

int main(int argc, char** argv) {
  std::string script;
  bool script_mode = false;
  if (argc == 3 && std::string(argv[1]) == "--script") {
    script_mode = true;
    script = argv[2];
  } else if (argc != 1) {
    return Usage();
  }

  if (!script_mode) {
    QApplication app(argc, argv);
    SetLook(app);
    qm::Shell shell;
    shell.Start();
    return app.exec() == 0 ? 0 : 1;
  }

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
  QApplication app(argc, argv);
  SetLook(app);
  qm::ScriptDriver* driver = nullptr;
  qm::Shell shell([&driver](const std::string& line) { driver->Print(line); });
  qm::ScriptDriver script_driver(shell, std::cout);
  driver = &script_driver;
  shell.Start();
  return script_driver.Run(*in, std::cerr);
}
