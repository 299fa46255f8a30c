#pragma once
#include <cstddef>
#include <string>
#include <vector>
#include "batch/text_between_markers.h"
#include "core/context.h"

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// "批量处理": cuts the stretch between two markers out of every page.
/// Shows the wait cursor, reads the folder from 编辑框精简网页 and the suffix
/// from 编辑框后缀, simplifies, restores the cursor, disables 按钮精简网页
/// (the folder box keeps its text) and shows "精简网页结束!". When pages
/// were left in place, a second message says how many and why. An empty
/// folder box, or one naming no folder, is refused with a message before
/// anything is touched; the button then stays as it is.
void PageSimplification(Context& ctx);

/// What one run of SimplifyPagesInFolder did.
struct SimplificationSummary {
  int simplified = 0;               // pages moved into 处理后 as framed pages
  int nothing_kept = 0;             // pages left in place: nothing between the markers
  int failed = 0;                   // pages left in place: unreadable, or their copy not written
  int not_removed = 0;              // pages copied whose original could not be deleted
  FileError failed_why;             // the reason the first failed page gave
  FileError not_removed_why;        // the reason the first failed deletion gave
  bool output_swapped = false;      // 处理后 was swapped midway: the rest got no result
  std::vector<Text> outside_links;  // links to files outside the folder, left alone
};

/// Simplifies every file directly in `folder` whose name matches "*" +
/// `suffix` (Windows wildcard rules), with the markers read from
/// 编辑框前标记 and 编辑框后标记: the page text (up to its first 0 byte) is
/// cut with TextBetweenMarkers, wrapped as FramedPageHead + stretch +
/// FramedPageTail and written under the same name into the sub-folder 处理后
/// (created when missing), replacing an earlier file there only once the
/// new one is completely written; only then is the page deleted. A page
/// whose stretch is empty is left in the folder untouched and gets no copy,
/// so its content is never lost; so is a page that cannot be read or whose
/// copy cannot be written, and a link to a file outside `folder` (listed
/// in the second message). leftbg.gif is written into 处理后 in every run.
/// Pages are read and written in pieces (PageSimplifier), so that a page of
/// any size takes a few megabytes of memory.
SimplificationSummary SimplifyPagesInFolder(Context& ctx, const Text& folder, const Text& suffix);

/// What became of one page in PageSimplifier::Simplify.
enum class PageOutcome { kWritten, kNothingKept, kFailed };

/// Simplifies pages one after another, reusing its buffers. A page is read
/// in pieces of `piece_size` bytes and cut while it is read, so that only
/// a few pieces are held at a time however large the page.
class PageSimplifier {
 public:
  static constexpr std::size_t kPieceSize = 1 << 20;
  PageSimplifier(FileSystem& fs, Text front, Text back, std::size_t piece_size = kPieceSize);

  /// Cuts the page at `page` (its text ends before its first 0 byte) with
  /// TextBetweenMarkers and writes FramedPageHead + stretch +
  /// FramedPageTail to `result` with the guarantees of WriteResultFile; a
  /// result of more than a piece goes through a temporary file beside
  /// `result`, put in place only once complete. kNothingKept when the
  /// stretch is empty, kFailed when the page cannot be read or the result
  /// not written; in both cases nothing is left at `result`'s place that
  /// was not there before. The page itself is not touched.
  PageOutcome Simplify(const Text& page, const Text& result);

  /// The stamp the page of the last Simplify had before it was read.
  FileStamp PageStamp() const { return page_stamp_; }

 private:
  FileSystem& fs_;
  Text front_, back_;
  std::size_t piece_size_;
  std::string piece_, out_;
  FileStamp page_stamp_;
};

}  // namespace qm
