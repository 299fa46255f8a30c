// The topic tables readers use to name the pages a search finds: #TOPICS
// (one 16-byte entry per page: offset into #TOCIDX, offset of the title in
// #STRINGS or -1, offset of the page's #URLTBL entry, flags), #URLTBL
// (12-byte entries: an identifier, the topic's number, the offset of its
// name in #URLSTR; 341 to a 4 KB block) and #URLSTR (per page: two zero
// offsets for merged books and frames, then the stored name).
#pragma once

#include <cstdint>
#include <string>

#include "byte_io.h"
#include "system_files.h"

namespace hha {

class TopicTables {
 public:
  /// Adds the page stored as `name` (no leading "/") with its title (code
  /// page 936, added to `strings`; empty for a page without one). Returns
  /// its topic number, the number the search index uses.
  std::uint32_t Add(const std::string& name, const std::string& title, StringTable& strings);

  std::uint32_t size() const { return count_; }
  const Bytes& topics() const { return topics_; }
  const Bytes& url_table() const { return url_table_; }
  const Bytes& url_strings() const { return url_strings_; }

 private:
  Bytes topics_, url_table_, url_strings_ = Bytes(1, 0);
  std::uint32_t count_ = 0;
};

}  // namespace hha
