#include "topic_tables.h"

namespace hha {

std::uint32_t TopicTables::Add(const std::string& name, const std::string& title, StringTable& strings) {
  const std::uint32_t topic = count_++;
  // A name never straddles a 4 KB block of #URLSTR.
  std::size_t need = 8 + name.size() + 1;
  std::size_t in_block = url_strings_.size() % 4096;
  if (need <= 4096 && in_block + need > 4096) url_strings_.resize(url_strings_.size() + (4096 - in_block), 0);
  const auto name_at = static_cast<std::uint32_t>(url_strings_.size());
  PutU32(url_strings_, 0);
  PutU32(url_strings_, 0);
  PutText(url_strings_, name);
  url_strings_.push_back(0);

  if (url_table_.size() % 4096 == 4092) url_table_.resize(url_table_.size() + 4, 0);
  const auto url_at = static_cast<std::uint32_t>(url_table_.size());
  PutU32(url_table_, topic + 1);
  PutU32(url_table_, topic);
  PutU32(url_table_, name_at);

  PutU32(topics_, 0);
  PutU32(topics_, title.empty() ? 0xFFFFFFFFu : strings.Add(title));
  PutU32(topics_, url_at);
  PutU16(topics_, 6);
  PutU16(topics_, 0);
  return topic;
}

}  // namespace hha
