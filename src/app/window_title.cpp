#include "app/window_title.h"

#include "chm/tree_paths.h"
#include "core/window_layout.h"
#include "runtime/encoding.h"
#include "runtime/paths.h"

namespace qm {

Text WindowTitleFor(const Text& folder_box) {
  const Text program(kWindowTitle);
  static const Text kHint = Gbk("  ---拖进来---");
  if (folder_box.empty() || folder_box == kHint || folder_box.find('\n') != Text::npos) return program;
  Text path = folder_box;
  while (path.size() > 1 && path.back() == kPathSeparatorText[0]) path.pop_back();
  Text name = LastPathComponent(path);
  if (name.empty()) name = path;
  return name + " (" + path + ") - " + program;
}

}  // namespace qm
