#pragma once
// What the program was asked to do on its command line.

#include <string>
#include <vector>

namespace qm {

struct CommandLine {
  enum class Action {
    kWindow,   // open the window (with `paths` dropped on the CHM folder box)
    kScript,   // run the script `script` ("-": standard input) without a window
    kHelp,     // print HelpText, exit 0
    kVersion,  // print VersionText, exit 0
    kError,    // print `error` and the usage line, exit 2
  };
  Action action = Action::kWindow;
  std::string script;
  std::vector<std::string> paths;
  std::string error;
};

/// Reads the arguments after the program name: --help/-h, --version/-v,
/// --script FILE, "--" (everything after it is a path), and paths. An
/// option we do not know, a missing script name, or a script with paths is
/// an error that names the culprit.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

/// The usage text that --help prints.
std::string HelpText();
/// "quillmere VERSION".
std::string VersionText();

}  // namespace qm
