// hh.exe -decompile FOLDER FILE.chm: unpacks a CHM book into a folder.
// Exit status: 0 when every stored file was written, 1 when the book could
// not be read or some entries were refused or failed, 2 for a bad command line.
#include <iostream>
#include <string>
#include <vector>

#include "chm_unpacker.h"
#include "command_line.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const hh::ParseResult parsed = hh::parseCommandLine(args, hh::isRegularFile);
  if (!parsed.ok) {
    std::cerr << "hh.exe: " << parsed.message << '\n' << hh::usageText() << '\n';
    return 2;
  }

  const hh::UnpackReport report =
      hh::unpackChm(parsed.request.chmFile, parsed.request.folder, std::cerr);
  if (!report.error.empty()) {
    std::cerr << "hh.exe: " << report.error << '\n';
    return 1;
  }
  if (report.complete()) return 0;
  std::cerr << "hh.exe: " << report.written << " files written, " << report.refused
            << " refused, " << report.failed << " failed";
  if (report.damaged) std::cerr << "; the book's directory is damaged, files may be missing";
  std::cerr << '\n';
  return 1;
}
