#include "chm/compiled_project.h"

#include "runtime/encoding.h"
#include "runtime/paths.h"

namespace qm {
namespace {

// Calls line(section, text) for every line of the project, the section
// name in lower case, the line without its line end.
template <typename Line>
void ForEachProjectLine(std::string_view project, Line&& line) {
  Text section;
  for (const Text& raw : SplitText(project, "\n")) {
    Text text = TrimTrailingSpaces(ReplaceSubtext(raw, "\r"));
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
      section = AsciiLower(text.substr(1, text.size() - 2));
      continue;
    }
    line(section, text);
  }
}

}  // namespace

Text CompiledFileOfProject(std::string_view project, const Text& folder, const Text& book) {
  Text name;
  ForEachProjectLine(project, [&](const Text& section, const Text& text) {
    const long eq = FindText(text, "=");
    if (section != "options" || eq < 1) return;
    if (AsciiLower(TrimTrailingSpaces(TextLeft(text, eq - 1))) != "compiled file") return;
    name = TextMiddle(text, eq + 1, TextLength(text));
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.erase(0, 1);
  });
  if (name.empty()) return folder + Text(kPathSeparatorText) + book + ".chm";
  // The book's own name with an extension is one file beside the project,
  // "\\" and all: a Linux name may hold it, and the compiler reads it so.
  if (name.size() > book.size() && name.compare(0, book.size(), book) == 0 && name[book.size()] == '.' &&
      name.find_first_of("\\/", book.size()) == Text::npos)
    return folder + Text(kPathSeparatorText) + name;
  name = ReplaceSubtext(name, "\\", kPathSeparatorText);
  if (name.front() == kPathSeparator) return name;
  return folder + Text(kPathSeparatorText) + name;
}

std::vector<Text> UnstorableFilesOfProject(std::string_view project) {
  std::vector<Text> names;
  ForEachProjectLine(project, [&](const Text& section, const Text& text) {
    if (section != "files" || text.empty()) return;
    const std::string native = NativeName(text);
    if (!BookNameOfNativeName(native).empty()) return;
    // Shown with each byte that is not UTF-8 as "\xNN".
    Text shown;
    std::string run;
    for (std::size_t i = 0; i < native.size();) {
      char32_t cp;
      const std::size_t n = DecodeUtf8(native, i, &cp);
      if (n) {
        run.append(native, i, n);
        i += n;
        continue;
      }
      static const char kHex[] = "0123456789ABCDEF";
      const auto b = static_cast<unsigned char>(native[i++]);
      shown += TextFromNativeName(run) + "\\x" + kHex[b >> 4] + kHex[b & 15];
      run.clear();
    }
    names.push_back(shown + TextFromNativeName(run));
  });
  return names;
}

}  // namespace qm
