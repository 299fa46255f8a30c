#include "app/script_syntax.h"

#include <charconv>

#include "core/control_names.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

struct VerbInfo {
  std::string_view word;
  ScriptVerb verb;
  int arguments;  // how many arguments the command takes
};

constexpr VerbInfo kVerbs[] = {
    {"page", ScriptVerb::kPage, 1},     {"choose", ScriptVerb::kChoose, 1}, {"tick", ScriptVerb::kTick, 1},
    {"untick", ScriptVerb::kUntick, 1}, {"type", ScriptVerb::kType, 2},     {"click", ScriptVerb::kClick, 1},
    {"drop", ScriptVerb::kDrop, 2},     {"select", ScriptVerb::kSelect, 1}, {"wait", ScriptVerb::kWait, 1},
    {"key", ScriptVerb::kKey, 2},       {"show", ScriptVerb::kShow, 1},     {"tree", ScriptVerb::kTree, 0},
    {"state", ScriptVerb::kState, 0},
};

bool ParseNumber(std::string_view s, long long* value) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *value);
  return ec == std::errc() && end == s.data() + s.size();
}

// The types each command accepts.
bool KindFits(ScriptVerb verb, ControlKind kind) {
  using K = ControlKind;
  switch (verb) {
    case ScriptVerb::kChoose: return kind == K::kRadioButton;
    case ScriptVerb::kTick:
    case ScriptVerb::kUntick: return kind == K::kCheckBox;
    case ScriptVerb::kType: return kind == K::kEditBox;
    case ScriptVerb::kClick: return kind == K::kButton;
    case ScriptVerb::kDrop:
    case ScriptVerb::kKey: return kind != K::kTimer && kind != K::kDropTarget && kind != K::kWebView;
    case ScriptVerb::kShow:
      return kind == K::kEditBox || kind == K::kButton || kind == K::kCheckBox || kind == K::kRadioButton ||
             kind == K::kTimer || kind == K::kTreeBox;
    default: return false;
  }
}

std::string_view NeededKind(ScriptVerb verb) {
  switch (verb) {
    case ScriptVerb::kChoose: return "a radio button";
    case ScriptVerb::kTick:
    case ScriptVerb::kUntick: return "a check box";
    case ScriptVerb::kType: return "an edit box";
    case ScriptVerb::kClick: return "a button";
    case ScriptVerb::kDrop: return "a control with a window on the screen";
    case ScriptVerb::kKey: return "a control that can take the focus";
    default: return "an edit box, button, check box, radio button, timer or tree box";
  }
}

ScriptLineResult Refuse(std::string why) {
  ScriptLineResult r;
  r.error = std::move(why);
  return r;
}

ScriptLineResult Accept(ScriptLineResult result) {
  result.ok = true;
  return result;
}

// A command's arguments: the first one and, for two-argument commands, the
// rest of the line after one space.
struct ScriptArguments {
  std::string_view first;
  std::string_view second;
  bool has_second = false;
};

ScriptArguments SplitArguments(std::string_view rest, int count) {
  ScriptArguments args{rest, {}, false};
  if (count == 2) {
    std::size_t k = rest.find(' ');
    if (k != std::string_view::npos) {
      args.first = rest.substr(0, k);
      args.second = rest.substr(k + 1);
      args.has_second = true;
    }
  }
  return args;
}

// page, select and wait: the commands whose argument names no control.
bool IsControlFree(ScriptVerb verb) {
  return verb == ScriptVerb::kPage || verb == ScriptVerb::kSelect || verb == ScriptVerb::kWait;
}

ScriptLineResult ParseControlFreeCommand(ScriptLineResult result, std::string_view first) {
  ScriptCommand& cmd = result.command;
  switch (cmd.verb) {
    case ScriptVerb::kPage:
      if (first != kWebPage && first != kChmPage) {
        return Refuse("unknown page \"" + std::string(first) + "\" (网页制作 or CHM制作)");
      }
      cmd.control = std::string(first);
      break;
    case ScriptVerb::kSelect:
      if (!ParseNumber(first, &cmd.number) || cmd.number < -1) {
        return Refuse("wrong argument \"" + std::string(first) + "\": a tree item index or -1");
      }
      cmd.control = chm::kTree;
      cmd.kind = ControlKind::kTreeBox;
      break;
    default:  // wait
      if (!ParseNumber(first, &cmd.number) || cmd.number < 0) {
        return Refuse("wrong argument \"" + std::string(first) + "\": milliseconds");
      }
      break;
  }
  return Accept(std::move(result));
}

// The tab-separated paths of a drop; false with `error` set when one is empty
// or an escape is wrong.
bool ParseDropPaths(std::string_view argument, std::vector<std::string>& paths, std::string* error) {
  std::string bytes;
  if (!DecodeScriptText(argument, false, &bytes, error)) return false;
  std::size_t i = 0;
  while (true) {
    std::size_t tab = bytes.find('\t', i);
    std::string path = bytes.substr(i, tab == std::string::npos ? std::string::npos : tab - i);
    if (path.empty()) {
      *error = "wrong argument: an empty path in the drop";
      return false;
    }
    paths.push_back(std::move(path));
    if (tab == std::string::npos) return true;
    i = tab + 1;
  }
}

// The second argument of type, drop and key (the other commands take none);
// false with `error` set when it is wrong.
bool ParseSecondArgument(const ScriptArguments& args, ScriptCommand& cmd, std::string* error) {
  switch (cmd.verb) {
    case ScriptVerb::kType:
      // A missing text, like an empty one, empties the box.
      return !args.has_second || DecodeScriptText(args.second, true, &cmd.text, error);
    case ScriptVerb::kDrop:
      if (!args.has_second || args.second.empty()) {
        *error = "missing paths for drop";
        return false;
      }
      return ParseDropPaths(args.second, cmd.paths, error);
    case ScriptVerb::kKey:
      if (args.second == "Esc") cmd.key = ScriptKey::kEsc;
      else if (args.second == "Enter") cmd.key = ScriptKey::kEnter;
      else *error = "wrong key \"" + std::string(args.second) + "\" (Esc or Enter)";
      return error->empty();
    default:
      if (args.has_second) *error = "too many arguments";
      return !args.has_second;
  }
}

// A command on a control: the control must exist and have the type the
// command needs.
ScriptLineResult ParseControlCommand(ScriptLineResult result, std::string_view word, const ScriptArguments& args) {
  ScriptCommand& cmd = result.command;
  const ControlInfo* control = FindControl(args.first);
  if (!control) return Refuse("unknown control \"" + std::string(args.first) + "\"");
  cmd.control = std::string(args.first);
  cmd.kind = control->kind;
  if (!KindFits(cmd.verb, control->kind)) {
    return Refuse(std::string(word) + " needs " + std::string(NeededKind(cmd.verb)) + "; " + cmd.control + " is a " +
                  std::string(KindName(control->kind)));
  }
  std::string error;
  if (!ParseSecondArgument(args, cmd, &error)) return Refuse(error);
  return Accept(std::move(result));
}

}  // namespace

std::string_view KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kTabControl: return "tab control";
    case ControlKind::kRadioButton: return "radio button";
    case ControlKind::kGroupBox: return "group box";
    case ControlKind::kLabel: return "label";
    case ControlKind::kEditBox: return "edit box";
    case ControlKind::kButton: return "button";
    case ControlKind::kCheckBox: return "check box";
    case ControlKind::kHyperlink: return "hyperlink";
    case ControlKind::kTreeBox: return "tree box";
    case ControlKind::kTimer: return "timer";
    case ControlKind::kDropTarget: return "drop target";
    case ControlKind::kWebView: return "web view";
  }
  return "control";
}

ScriptLineResult ParseScriptLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  ScriptLineResult result;
  if (line.empty() || line.front() == '#') {
    result.skip = true;
    return result;
  }
  std::size_t space = line.find(' ');
  std::string_view word = line.substr(0, space);
  std::string_view rest = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  bool has_rest = space != std::string_view::npos;

  const VerbInfo* info = nullptr;
  for (const VerbInfo& v : kVerbs) {
    if (v.word == word) info = &v;
  }
  if (!info) return Refuse("unknown command \"" + std::string(word) + "\"");

  result.command.verb = info->verb;
  if (info->arguments == 0) {
    if (has_rest) return Refuse(std::string(word) + " takes no argument");
    return Accept(std::move(result));
  }
  if (!has_rest || rest.empty()) {
    return Refuse("missing argument for " + std::string(word));
  }
  const ScriptArguments args = SplitArguments(rest, info->arguments);
  if (IsControlFree(info->verb)) return ParseControlFreeCommand(std::move(result), args.first);
  return ParseControlCommand(std::move(result), word, args);
}

bool DecodeScriptText(std::string_view arg, bool to_gbk, std::string* out, std::string* error) {
  out->clear();
  std::string plain;  // a run of ordinary characters, converted at once
  auto flush = [&] {
    out->append(to_gbk ? TextFromWindow(plain) : plain);
    plain.clear();
  };
  for (std::size_t i = 0; i < arg.size(); ++i) {
    if (arg[i] != '\\') {
      plain.push_back(arg[i]);
      continue;
    }
    if (i + 1 >= arg.size()) {
      *error = "wrong argument: a lone \\ at the end (write \\\\)";
      return false;
    }
    char e = arg[++i];
    char byte;
    if (e == 'r') byte = '\r';
    else if (e == 'n') byte = '\n';
    else if (e == 't') byte = '\t';
    else if (e == '\\') byte = '\\';
    else if (e == 'x') {
      int value = 0;
      auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
      };
      if (i + 2 >= arg.size() || hex(arg[i + 1]) < 0 || hex(arg[i + 2]) < 0) {
        *error = "wrong argument: \\x needs two hexadecimal digits";
        return false;
      }
      value = hex(arg[i + 1]) * 16 + hex(arg[i + 2]);
      i += 2;
      byte = static_cast<char>(value);
    } else {
      *error = std::string("wrong argument: unknown escape \\") + e;
      return false;
    }
    flush();
    out->push_back(byte);
  }
  flush();
  return true;
}

std::string FormatScriptText(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  auto escape = [&](unsigned char b) {
    out += "\\x";
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  };
  std::size_t i = 0;
  while (i < text.size()) {
    auto b = static_cast<unsigned char>(text[i]);
    if (b == '\r') out += "\\r";
    else if (b == '\n') out += "\\n";
    else if (b == '\t') out += "\\t";
    else if (b == '\\') out += "\\\\";
    else if (b < 0x20 || b == 0x7F) escape(b);
    else if (b < 0x80) out.push_back(static_cast<char>(b));
    else {
      // A two-byte character when the pair decodes to exactly one
      // character; otherwise the lead byte alone is shown as \xHH and the
      // scan goes on after it.
      if (i + 1 < text.size()) {
        std::string utf8 = Utf8FromGbk(text.substr(i, 2));
        char32_t cp;
        if (!utf8.empty() && DecodeUtf8(utf8, 0, &cp) == utf8.size() && cp != 0xFFFD) {
          out += utf8;
          i += 2;
          continue;
        }
      }
      escape(b);
    }
    ++i;
  }
  return out;
}

}  // namespace qm
