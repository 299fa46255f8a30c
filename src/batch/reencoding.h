#pragma once
#include <vector>
#include "core/context.h"
#include "core/utf8_to_gbk.h"

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// "编码转换": re-encodes every page of a folder from UTF-8 to GB2312. Reads
/// the folder from 编辑框编码转换路径 and the suffix from 编辑框编码后缀,
/// converts, shows "ok!", disables 按钮编码转换 and empties the folder box.
/// Pages that could not be read or written are counted in a second message,
/// links to files outside the folder listed in another.
/// An empty folder box, or one naming no folder, is refused with a message
/// before anything is touched; the box and the button are then left as
/// they are.
void Utf8ToGb2312Reencoding(Context& ctx);

/// What one run of ReencodePagesInFolder did.
struct ReencodingSummary {
  int converted = 0;                // pages written into 处理后
  int unreadable = 0;               // pages that could not be read: nothing written
  int unwritten = 0;                // pages whose result could not be written
  FileError why;                    // the reason the first of those gave
  bool output_swapped = false;      // 处理后 was swapped midway: the rest got no result
  std::vector<Text> outside_links;  // links to files outside the folder: nothing written
};

/// Converts every file directly in `folder` whose name matches "*" +
/// `suffix` (Windows wildcard rules) with GbkTextFromUtf8 and writes the result
/// under the same name into the sub-folder 处理后 (created when missing).
/// The pages themselves stay as they are. A page is read and converted in
/// pieces, so that even a very large one takes little memory. A result
/// replaces an earlier file of that name only once it is completely
/// written. A page that cannot be read gets no result, so an earlier result
/// is not replaced by an empty file; nor does a link to a file outside
/// `folder`.
/// Each page is reported to `progress` before it is read; a stop leaves the
/// later pages untouched.
ReencodingSummary ReencodePagesInFolder(FileSystem& fs, const Text& folder, const Text& suffix,
                                        Progress& progress = NoProgress());

}  // namespace qm
