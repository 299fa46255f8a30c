#pragma once
// Files dropped from the file manager: which drop target receives them and
// the Text they arrive as.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/text.h"

namespace qm {

/// The registered drop areas: control name -> drop target name. A drop
/// target registers at most one area; registering again moves it.
class DropAreas {
 public:
  void Register(std::string_view drop_target, std::string_view control);
  /// The drop target of the innermost registered area among `chain`, the
  /// names of the control under the cursor and its ancestors, innermost
  /// first. Empty when none of them is registered.
  std::string_view TargetFor(const std::vector<std::string>& chain) const;
  /// The area of `drop_target`, or empty.
  std::string_view AreaOf(std::string_view drop_target) const;

 private:
  std::vector<std::pair<std::string, std::string>> areas_;  // target, control
};

/// What a drop of items on the window does.
struct DropPlan {
  /// The drop target whose operation takes the items; empty: none.
  std::string_view target;
  /// The tool to select before that operation runs, because the items
  /// were dropped on its folder box; empty: none.
  std::string_view radio;
  /// Why the drop cannot be used, for the status line (UTF-8); empty when
  /// it can.
  std::string_view refusal;
};

/// Plans a drop on the control whose name and ancestors' names are `chain`
/// (innermost first). `local_paths`: the items include local files;
/// `tool_selected`: a tool's radio button on the page "网页制作" is
/// selected. Items that are not local files go nowhere; a drop on a tool's
/// folder box selects that tool; a drop on the page "网页制作" with no tool
/// selected still reaches its operation, which only clears the order list,
/// and says why nothing else happened.
DropPlan PlanDrop(const DropAreas& areas, const std::vector<std::string>& chain, bool local_paths, bool tool_selected);

/// The dropped items as one Text: a single path as it is; several paths
/// each followed by CR LF, in the file manager's order.
Text JoinDroppedPaths(const std::vector<Text>& paths);

/// The local paths of a text/uri-list (RFC 2483): "file:" URIs with an empty
/// or "localhost" host, percent-decoded to the file system's raw bytes;
/// comment lines and other URIs are left out. A "file:" URI without "//"
/// carries its path as it is (relative paths included).
std::vector<std::string> LocalPathsFromUriList(std::string_view uri_list);

/// A text/uri-list for local paths (file system bytes), each line ending in
/// CR LF; every byte outside the unreserved set and "/" is percent-encoded.
/// A relative path is written as "file:" + path.
std::string UriListFromLocalPaths(const std::vector<std::string>& paths);

}  // namespace qm
