#include "system_files.h"

namespace hha {
namespace {

constexpr std::uint32_t kWindowEntrySize = 0xC4;

void PutRecord(Bytes& out, std::uint16_t code, const Bytes& data) {
  PutU16(out, code);
  PutU16(out, static_cast<std::uint16_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}

void PutStringRecord(Bytes& out, std::uint16_t code, const std::string& text) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  PutRecord(out, code, data);
}

}  // namespace

std::uint32_t StringTable::Add(const std::string& s) {
  if (s.empty()) return 0;
  std::size_t need = s.size() + 1;
  std::size_t in_block = bytes_.size() % 4096;
  if (need <= 4096 && in_block + need > 4096) bytes_.resize(bytes_.size() + (4096 - in_block), 0);
  auto at = static_cast<std::uint32_t>(bytes_.size());
  bytes_.insert(bytes_.end(), s.begin(), s.end());
  bytes_.push_back(0);
  return at;
}

bool IsDbcsLanguage(std::uint32_t lcid) {
  switch (lcid & 0x3FF) {
    case 0x04:  // Chinese (all regions)
    case 0x11:  // Japanese
    case 0x12:  // Korean
      return true;
    default: return false;
  }
}

Bytes BuildSystemFile(const SystemInfo& info) {
  Bytes out;
  PutU32(out, 3);  // version

  Bytes stamp;
  PutU32(stamp, static_cast<std::uint32_t>(info.filetime >> 32));
  PutRecord(out, 10, stamp);
  PutStringRecord(out, 9, "HHA Version 4.74.8702");

  Bytes locale;
  PutU32(locale, info.lcid);
  PutU32(locale, IsDbcsLanguage(info.lcid) ? 1 : 0);
  PutU32(locale, info.full_text_search ? 1 : 0);
  PutU32(locale, 0);  // no keyword links
  PutU32(locale, 0);  // no associative links
  PutU64(locale, info.filetime);
  PutU32(locale, 0);
  PutU32(locale, 0);
  PutRecord(out, 4, locale);

  if (!info.default_topic.empty()) PutStringRecord(out, 2, info.default_topic);
  if (!info.title.empty()) PutStringRecord(out, 3, info.title);
  if (!info.default_font.empty()) PutStringRecord(out, 16, info.default_font);
  if (!info.compiled_name.empty()) PutStringRecord(out, 6, info.compiled_name);
  if (!info.contents_file.empty()) PutStringRecord(out, 0, info.contents_file);
  if (!info.index_file.empty()) PutStringRecord(out, 1, info.index_file);
  if (!info.default_window.empty()) PutStringRecord(out, 5, info.default_window);
  return out;
}

Bytes BuildWindowFiles(const std::vector<WindowDefinition>& windows,
                       const std::function<std::string(const std::string& gbk, WindowFileKind)>& reader_name,
                       StringTable& strings) {
  Bytes windows_file;
  PutU32(windows_file, static_cast<std::uint32_t>(windows.size()));
  PutU32(windows_file, kWindowEntrySize);
  for (const WindowDefinition& w : windows) {
    Bytes e;
    std::uint32_t valid = 0;
    if (w.nav_style) valid |= 0x0002;
    if (w.styles) valid |= 0x0004;
    if (w.ex_styles) valid |= 0x0008;
    if (w.rect) valid |= 0x0010;
    if (w.nav_width) valid |= 0x0020;
    if (w.show_state) valid |= 0x0040;
    if (w.buttons) valid |= 0x0100;
    if (w.nav_closed) valid |= 0x0200;
    if (w.nav_position) valid |= 0x0400;
    if (w.default_tab) valid |= 0x2000;
    PutU32(e, kWindowEntrySize);
    PutU32(e, 0);  // texts are not Unicode
    PutU32(e, strings.Add(w.name));
    PutU32(e, valid);
    PutU32(e, w.nav_style.value_or(0));
    PutU32(e, strings.Add(w.caption));
    PutU32(e, w.styles.value_or(0));
    PutU32(e, w.ex_styles.value_or(0));
    std::array<std::int32_t, 4> rect = w.rect.value_or(std::array<std::int32_t, 4>{});
    for (std::int32_t v : rect) PutU32(e, static_cast<std::uint32_t>(v));
    PutU32(e, w.show_state.value_or(0));
    for (int i = 0; i < 6; ++i) PutU32(e, 0);  // window handles and info types
    PutU32(e, w.nav_width.value_or(0));
    for (int i = 0; i < 4; ++i) PutU32(e, 0);  // HTML pane rectangle
    PutU32(e, strings.Add(reader_name(w.contents_file, WindowFileKind::Contents)));
    PutU32(e, strings.Add(reader_name(w.index_file, WindowFileKind::Index)));
    PutU32(e, strings.Add(reader_name(w.default_file, WindowFileKind::Page)));
    PutU32(e, strings.Add(reader_name(w.home_file, WindowFileKind::Page)));
    PutU32(e, w.buttons.value_or(0));
    PutU32(e, w.nav_closed.value_or(0));
    PutU32(e, w.default_tab.value_or(0));
    PutU32(e, w.nav_position.value_or(0));
    PutU32(e, w.notify_id.value_or(0));
    for (int i = 0; i < 20; ++i) e.push_back(0);  // tab order
    PutU32(e, 0);                                 // history count
    PutU32(e, strings.Add(w.jump1_text));
    PutU32(e, strings.Add(w.jump2_text));
    PutU32(e, strings.Add(w.jump1_url));
    PutU32(e, strings.Add(w.jump2_url));
    for (int i = 0; i < 4; ++i) PutU32(e, 0);  // minimum size
    PutU32(e, 0);                              // info types size
    PutU32(e, 0);                              // custom tabs
    e.resize(kWindowEntrySize, 0);
    windows_file.insert(windows_file.end(), e.begin(), e.end());
  }
  return windows_file;
}

}  // namespace hha
