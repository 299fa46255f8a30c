#include "app/command_line.h"

namespace qm {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  auto fail = [&line](std::string why) {
    line.action = CommandLine::Action::kError;
    line.error = std::move(why);
    return line;
  };
  bool options = true;
  bool script = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options && a == "--") {
      options = false;
    } else if (options && (a == "--help" || a == "-h")) {
      line.action = CommandLine::Action::kHelp;
      return line;
    } else if (options && (a == "--version" || a == "-v")) {
      line.action = CommandLine::Action::kVersion;
      return line;
    } else if (options && a == "--script") {
      if (i + 1 >= args.size()) return fail("option --script needs a FILE (- reads standard input)");
      script = true;
      line.script = args[++i];
    } else if (options && a.size() > 1 && a[0] == '-') {
      return fail("unknown option: " + a);
    } else {
      line.paths.push_back(a);
    }
  }
  if (script && !line.paths.empty()) return fail("--script takes no folder: " + line.paths.front());
  if (script) line.action = CommandLine::Action::kScript;
  return line;
}

std::string HelpText() {
  return "usage: quillmere [PATH...]\n"
         "       quillmere --script FILE\n"
         "\n"
         "Makes CHM e-books from folders of Chinese text files and web pages.\n"
         "\n"
         "  PATH           open the window with PATH dropped on the folder box\n"
         "                 of the tab \"CHM制作\" (a book folder, or a .chm file)\n"
         "  --script FILE  drive the window invisibly from FILE (- reads\n"
         "                 standard input); see the manual page quillmere(1)\n"
         "  -h, --help     print this help and exit\n"
         "  -v, --version  print the version and exit\n";
}

std::string VersionText() { return std::string("quillmere ") + QUILLMERE_VERSION + "\n"; }

}  // namespace qm
