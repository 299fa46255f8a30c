#include "support/memory_controls.h"

#include "core/control_names.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

template <typename Map, typename V>
V Lookup(const Map& map, std::string_view key, V fallback) {
  auto it = map.find(key);
  return it == map.end() ? fallback : it->second;
}

}  // namespace

MemoryControls::MemoryControls() {
  texts_[std::string(controls::kHeaderBox)] = Gbk(kBookHeaderUtf8);
  texts_[std::string(controls::kNoticeBox)] = Gbk(kBookNoticeUtf8);
}

Text MemoryControls::GetText(std::string_view c) { return Lookup(texts_, c, Text()); }
void MemoryControls::SetText(std::string_view c, const Text& t) { texts_[std::string(c)] = t; }
bool MemoryControls::IsDisabled(std::string_view c) { return Lookup(disabled_, c, false); }
void MemoryControls::SetDisabled(std::string_view c, bool d) { disabled_[std::string(c)] = d; }
bool MemoryControls::IsTicked(std::string_view c) { return Lookup(ticked_, c, false); }
void MemoryControls::SetTicked(std::string_view c, bool t) { ticked_[std::string(c)] = t; }
int MemoryControls::Interval(std::string_view c) { return Lookup(intervals_, c, 0); }

void MemoryControls::SetInterval(std::string_view c, int ms) {
  if (ms < 0) ms = 0;
  int& current = intervals_[std::string(c)];
  if (current == ms) return;
  current = ms;
  if (ms > 0) ++timer_restarts;
}

bool MemoryControls::AlwaysShowSelection(std::string_view c) { return Lookup(always_show_, c, false); }
void MemoryControls::SetAlwaysShowSelection(std::string_view c, bool on) { always_show_[std::string(c)] = on; }
void MemoryControls::SetFocus(std::string_view c) { focused = std::string(c); }

int MemoryControls::MessageBox(const Text& content, int flags, const Text& caption) {
  messages.push_back({content, flags, caption});
  return 0;
}

void MemoryControls::SetWaitCursor() {
  wait_cursor = true;
  cursor_log.push_back("wait");
}

void MemoryControls::RestoreCursor() {
  wait_cursor = false;
  cursor_log.push_back("restore");
}

}  // namespace qm
