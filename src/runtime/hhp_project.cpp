#include "runtime/hhp_project.h"

#include <cstdlib>

#include "runtime/compiler_contract.h"
#include "runtime/encoding.h"
#include "runtime/text.h"

namespace qm {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool IsYes(std::string_view v) { return EqualsNoCase(Trim(v), "yes") || Trim(v) == "1"; }

std::optional<std::uint32_t> ParseNumber(std::string_view field) {
  field = Trim(field);
  if (field.empty()) return std::nullopt;
  std::string s(field);
  char* end = nullptr;
  unsigned long v = std::strtoul(s.c_str(), &end, 0);
  if (end == s.c_str()) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

// Splits a window definition into its fields: quoted texts (commas inside
// belong to the text), bracketed groups as one field, bare values.
std::vector<std::string> SplitFields(std::string_view value) {
  std::vector<std::string> fields;
  std::string current;
  bool quoted = false;
  int brackets = 0;
  for (char c : value) {
    if (quoted) {
      if (c == '"') quoted = false;
      else current += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '[') {
      ++brackets;
      current += c;
    } else if (c == ']') {
      --brackets;
      current += c;
    } else if (c == ',' && brackets <= 0) {
      fields.push_back(std::string(Trim(current)));
      current.clear();
    } else {
      current += c;
    }
  }
  fields.push_back(std::string(Trim(current)));
  return fields;
}

enum class Section { kNone, kOptions, kWindows, kFiles, kOther };

}  // namespace

WindowDefinition ParseWindowDefinition(std::string_view name, std::string_view value) {
  WindowDefinition w;
  w.name = std::string(Trim(name));
  std::vector<std::string> f = SplitFields(value);
  f.resize(20);
  w.caption = f[0];
  w.contents_file = f[1];
  w.index_file = f[2];
  w.default_file = f[3];
  w.home_file = f[4];
  w.jump1_url = f[5];
  w.jump1_text = f[6];
  w.jump2_url = f[7];
  w.jump2_text = f[8];
  w.nav_style = ParseNumber(f[9]);
  w.nav_width = ParseNumber(f[10]);
  w.buttons = ParseNumber(f[11]);
  std::string_view rect = Trim(f[12]);
  if (rect.size() >= 2 && rect.front() == '[' && rect.back() == ']') {
    std::vector<std::string> parts = SplitFields(rect.substr(1, rect.size() - 2));
    if (parts.size() == 4) {
      std::array<std::int32_t, 4> r{};
      bool ok = true;
      for (int i = 0; i < 4; ++i) {
        auto n = ParseNumber(parts[i]);
        if (!n) ok = false;
        r[i] = static_cast<std::int32_t>(n.value_or(0));
      }
      if (ok) w.rect = r;
    }
  }
  w.styles = ParseNumber(f[13]);
  w.ex_styles = ParseNumber(f[14]);
  w.show_state = ParseNumber(f[15]);
  w.nav_closed = ParseNumber(f[16]);
  w.default_tab = ParseNumber(f[17]);
  w.nav_position = ParseNumber(f[18]);
  w.notify_id = ParseNumber(f[19]);
  return w;
}

const WindowDefinition* HhpProject::DefaultWindow() const {
  for (const WindowDefinition& w : windows)
    if (EqualsNoCase(w.name, default_window)) return &w;
  if (!default_window.empty() || windows.empty()) return nullptr;
  return &windows.front();
}

namespace {

// Which of the options a default window can stand in for the project gave.
struct GivenOptions {
  bool contents = false;
  bool index = false;
  bool topic = false;
};

Section SectionNamed(std::string_view name) {
  if (EqualsNoCase(name, "OPTIONS")) return Section::kOptions;
  if (EqualsNoCase(name, "WINDOWS")) return Section::kWindows;
  if (EqualsNoCase(name, "FILES")) return Section::kFiles;
  return Section::kOther;
}

// Takes an option the compiler uses; false when `key` is not one of them.
bool TakeBuiltOption(HhpProject& p, std::string_view key, const std::string& value, GivenOptions& given) {
  if (EqualsNoCase(key, "Compiled file")) {
    p.compiled_file = value;
  } else if (EqualsNoCase(key, "Contents file")) {
    p.contents_file = value;
    given.contents = true;
  } else if (EqualsNoCase(key, "Index file")) {
    p.index_file = value;
    given.index = true;
  } else if (EqualsNoCase(key, "Default topic")) {
    p.default_topic = value;
    given.topic = true;
  } else if (EqualsNoCase(key, "Default Window")) {
    p.default_window = value;
  } else if (EqualsNoCase(key, "Title")) {
    p.title = value;
  } else if (EqualsNoCase(key, "Default Font")) {
    p.default_font = value;
  } else if (EqualsNoCase(key, "Full-text search")) {
    p.full_text_search = IsYes(value);
  } else if (EqualsNoCase(key, "Display compile progress")) {
    p.display_progress = IsYes(value);
  } else if (EqualsNoCase(key, "Language")) {
    auto n = ParseNumber(value);
    if (n && *n != 0) p.language = *n;
    else p.warnings.push_back("Language \"" + Shown(value) + "\" not understood; 0x804 is used");
  } else {
    return false;
  }
  return true;
}

// Warns about an option the compiler does not build, when it asks for
// something the book will lack, and about an unknown option.
void WarnAboutOption(HhpProject& p, std::string_view key, const std::string& value) {
  if (EqualsNoCase(key, "Binary TOC") || EqualsNoCase(key, "Binary Index") || EqualsNoCase(key, "Create CHI file") ||
      EqualsNoCase(key, "Auto Index")) {
    if (IsYes(value))
      p.warnings.push_back("option \"" + std::string(key) + "=" + value +
                           "\" is not built; the book is compiled without it");
  } else if (EqualsNoCase(key, "Auto TOC")) {
    if (ParseNumber(value).value_or(0) != 0)
      p.warnings.push_back("option \"Auto TOC\" is not built; the contents file is used as written");
  } else if (EqualsNoCase(key, "Compatibility") || EqualsNoCase(key, "Display compile notes") ||
             EqualsNoCase(key, "Enhanced decompilation") || EqualsNoCase(key, "Flat") ||
             EqualsNoCase(key, "Error log file") || EqualsNoCase(key, "Sample staging path") ||
             EqualsNoCase(key, "Sample list file") || EqualsNoCase(key, "Full text search stop list file") ||
             EqualsNoCase(key, "Custom tab") || EqualsNoCase(key, "Prefix") || EqualsNoCase(key, "CITATION") ||
             EqualsNoCase(key, "COPYRIGHT")) {
    if (!value.empty() && (EqualsNoCase(key, "Error log file") || EqualsNoCase(key, "Custom tab") ||
                           EqualsNoCase(key, "Full text search stop list file")))
      p.warnings.push_back("option \"" + std::string(key) + "\" is not built and is ignored");
  } else {
    p.warnings.push_back("unknown option \"" + Shown(key) + "\" ignored");
  }
}

// One line of [OPTIONS].
void ParseOptionLine(HhpProject& p, std::string_view line, std::size_t line_no, GivenOptions& given) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) {
    p.warnings.push_back("line " + std::to_string(line_no) + ": option without \"=\" ignored: " + Shown(line));
    return;
  }
  std::string_view key = Trim(line.substr(0, eq));
  std::string value(Trim(line.substr(eq + 1)));
  if (!TakeBuiltOption(p, key, value, given)) WarnAboutOption(p, key, value);
}

// The default window stands in for the options the project leaves out.
void ApplyDefaultWindow(HhpProject& p, const GivenOptions& given) {
  const WindowDefinition* win = p.DefaultWindow();
  if (!p.default_window.empty() && !win)
    p.warnings.push_back("default window \"" + Shown(p.default_window) + "\" is not defined in [WINDOWS]");
  if (win) {
    if (!given.contents) p.contents_file = win->contents_file;
    if (!given.index) p.index_file = win->index_file;
    if (!given.topic) p.default_topic = !win->default_file.empty() ? win->default_file : win->home_file;
    // Readers show the title in their window bar; the window's caption is
    // the book's name in projects that give no title of their own.
    if (p.title.empty()) p.title = win->caption;
  }
}

}  // namespace

HhpProject ParseProject(std::string_view text) {
  HhpProject p;
  GivenOptions given;
  Section section = Section::kNone;
  std::string section_name;
  bool warned_section = false;
  std::size_t line_no = 0;

  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    std::string_view line = Trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++line_no;
    if (line.empty() || line.front() == ';') continue;

    if (line.front() == '[' && line.back() == ']') {
      section_name = std::string(line.substr(1, line.size() - 2));
      warned_section = false;
      section = SectionNamed(section_name);
      continue;
    }

    switch (section) {
      case Section::kFiles: p.files.push_back(std::string(line)); break;
      case Section::kWindows: {
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
          p.warnings.push_back("line " + std::to_string(line_no) + ": window definition without \"=\" ignored");
          break;
        }
        p.windows.push_back(ParseWindowDefinition(line.substr(0, eq), line.substr(eq + 1)));
        break;
      }
      case Section::kOptions: ParseOptionLine(p, line, line_no, given); break;
      case Section::kOther:
        if (!warned_section) {
          p.warnings.push_back("section [" + Shown(section_name) + "] is not built and is ignored");
          warned_section = true;
        }
        break;
      case Section::kNone:
        p.warnings.push_back("line " + std::to_string(line_no) + " outside any section ignored");
        break;
    }
  }
  ApplyDefaultWindow(p, given);
  return p;
}

HhpProject ParseProjectFile(std::string_view bytes) {
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return ParseProject(TextFromNativeName(bytes.substr(3)));
  return ParseProject(bytes);
}

}  // namespace qm
