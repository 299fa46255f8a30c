#pragma once
// The line syntax of the script driver (`quillmere --script FILE`): parsing
// and checking one line, decoding text arguments, and writing texts out.
// The driver itself, which acts on the real window, lives with the window.

#include <string>
#include <string_view>
#include <vector>

#include "core/window_layout.h"
#include "runtime/text.h"

namespace qm {

enum class ScriptVerb {
  kPage,
  kChoose,
  kTick,
  kUntick,
  kType,
  kClick,
  kDrop,
  kSelect,
  kWait,
  kKey,
  kShow,
  kTree,
  kState,
};

enum class ScriptKey { kEsc, kEnter };

/// One checked script line.
struct ScriptCommand {
  ScriptVerb verb = ScriptVerb::kTree;
  std::string control;                     // control name (UTF-8), or the page name
  ControlKind kind = ControlKind::kLabel;  // the control's type
  Text text;                               // `type`: the decoded GBK text
  std::vector<std::string> paths;          // `drop`: the paths as file-system bytes
  long long number = 0;                    // `select`, `wait`
  ScriptKey key = ScriptKey::kEsc;         // `key`
};

struct ScriptLineResult {
  bool skip = false;  // blank line or comment
  bool ok = false;    // a command that may run
  std::string error;  // why the line is refused (UTF-8)
  ScriptCommand command;
};

/// Parses and checks one line (without its line end; a final CR is
/// dropped): the command word, its arguments (one space apart, the last
/// taking the rest of the line), that the control exists and has the type
/// the command needs, and that numbers and names are valid. The tree's
/// item count is checked when the line runs.
ScriptLineResult ParseScriptLine(std::string_view line);

/// Decodes the escapes \r \n \t \\ and \xHH of a text argument. With
/// `to_gbk` the other characters are converted from UTF-8 to GBK as typed
/// text is; otherwise they are kept as they are (file-system bytes). False
/// with `error` set for an unknown or incomplete escape.
bool DecodeScriptText(std::string_view argument, bool to_gbk, std::string* out, std::string* error);

/// A GBK text as the driver prints it: UTF-8, with CR, LF, tab and
/// backslash as \r \n \t \\, and every byte that is not part of a valid GBK
/// character (and every other control byte) as \xHH.
std::string FormatScriptText(std::string_view text);

/// A human name for a control type ("edit box", "button", ...).
std::string_view KindName(ControlKind kind);

}  // namespace qm
