#pragma once
// Reading an HTML Help Workshop project file (.hhp): the one reading that
// the compiler builds from and the window checks the compiler's work by.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// One definition of the [WINDOWS] section. Texts are code page 936 bytes
/// exactly as written in the project.
struct WindowDefinition {
  std::string name;
  std::string caption;
  std::string contents_file;
  std::string index_file;
  std::string default_file;
  std::string home_file;
  std::string jump1_url, jump1_text, jump2_url, jump2_text;
  std::optional<std::uint32_t> nav_style, nav_width, buttons, styles, ex_styles, show_state, nav_closed, default_tab,
      nav_position, notify_id;
  std::optional<std::array<std::int32_t, 4>> rect;
};

/// The project as the compiler uses it. Texts are code page 936 bytes; the
/// defaults are already applied: the contents and index files come from the
/// default window when the project names none, the default topic from the
/// default window's default or home file, the title from its caption, the
/// language is 0x804 when absent.
struct HhpProject {
  std::string compiled_file;  // empty: not given
  std::string contents_file;  // empty: the book has no contents file
  std::string index_file;
  std::string default_topic;
  std::string default_window;
  std::string title;
  std::string default_font;
  std::uint32_t language = 0x804;
  bool display_progress = false;
  bool full_text_search = false;  // "Full-text search=Yes": the book gets a search index
  std::vector<WindowDefinition> windows;
  std::vector<std::string> files;     // [FILES] entries in order
  std::vector<std::string> warnings;  // UTF-8 messages about ignored input

  /// The window named by "Default Window=", else the first one; null when
  /// there are none.
  const WindowDefinition* DefaultWindow() const;
};

/// Parses the bytes of a project file. Never fails: lines it does not
/// understand, and options or sections asking for things that are not
/// built, become warnings.
HhpProject ParseProject(std::string_view text);

/// Parses the bytes of a project file as read from disk: a project saved as
/// UTF-8 by an editor (it starts with a byte order mark) is first read as
/// the code page 936 text the rest of the book expects, with the name
/// escapes for characters that code page 936 lacks, so no name is lost.
HhpProject ParseProjectFile(std::string_view bytes);

/// Parses the value of one [WINDOWS] line (after "name=").
WindowDefinition ParseWindowDefinition(std::string_view name, std::string_view value);

}  // namespace qm
