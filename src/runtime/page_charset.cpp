#include "runtime/page_charset.h"

#include <optional>

#include "runtime/encoding.h"
#include "runtime/text.h"
#include "runtime/text_encoding.h"

namespace qm {
namespace {

bool IsNameChar(char c) {
  return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '-' || c == '_' || c == '.' ||
         c == ':';
}

bool NamesUtf8(std::string_view name) { return name == "utf-8" || name == "utf8"; }

// UTF-8 by content, by the rule that text files go by too.
bool ReadsAsUtf8(std::string_view bytes) { return DetectTextEncoding(bytes) == TextEncoding::kUtf8; }

// The page's own charset ("" for code page 936), `bytes` losing any
// byte-order mark.
std::string SourceCharset(std::string_view& bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
    return "utf-8";
  }
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    bytes.remove_prefix(2);
    return "utf-16le";
  }
  if (bytes.substr(0, 2) == "\xFE\xFF") {
    bytes.remove_prefix(2);
    return "utf-16be";
  }
  const std::string lower = LowerPageHead(bytes);
  const std::vector<CharsetSpan> spans = CharsetDeclarations(lower);
  if (!spans.empty()) {
    std::string name = lower.substr(spans[0].at, spans[0].size);
    if (NamesGbkCharset(name)) return {};
    if (NamesUtf8(name)) return IsGbkText(bytes) && !ReadsAsUtf8(bytes) ? std::string() : name;
    return name;
  }
  return ReadsAsUtf8(bytes) ? "utf-8" : std::string();
}

}  // namespace

std::string LowerPageHead(std::string_view page) {
  static constexpr std::string_view kBody = "<body";
  static constexpr std::size_t kLongestHead = 1 << 20;
  page = page.substr(0, kLongestHead);
  std::size_t end = page.size();
  for (std::size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at + 1)) {
    std::size_t k = 1;
    while (k < kBody.size() && at + k < page.size() && AsciiLowerByte(page[at + k]) == kBody[k]) ++k;
    if (k == kBody.size()) {
      end = at;
      break;
    }
  }
  return AsciiLowerBytes(page.substr(0, end));
}

std::vector<CharsetSpan> CharsetDeclarations(const std::string& lower_head) {
  const std::string& lower = lower_head;
  std::vector<CharsetSpan> spans;
  std::size_t body = lower.find("<body");
  std::size_t limit = body == std::string::npos ? lower.size() : body;
  auto value_after = [&](std::size_t at) {
    while (at < limit && (lower[at] == ' ' || lower[at] == '=' || lower[at] == '"' || lower[at] == '\'')) ++at;
    std::size_t end = at;
    while (end < limit && IsNameChar(lower[end])) ++end;
    if (end > at) spans.push_back({at, end - at});
  };
  if (lower.compare(0, 5, "<?xml") == 0) {
    std::size_t end = lower.find("?>");
    std::size_t enc = lower.find("encoding", 0);
    if (end != std::string::npos && enc != std::string::npos && enc < end) value_after(enc + 8);
  }
  for (std::size_t meta = lower.find("<meta"); meta < limit; meta = lower.find("<meta", meta + 5)) {
    std::size_t end = lower.find('>', meta);
    if (end == std::string::npos || end > limit) break;
    std::size_t cs = lower.find("charset", meta);
    if (cs != std::string::npos && cs < end) value_after(cs + 7);
  }
  return spans;
}

bool NamesGbkCharset(std::string_view name) {
  for (const char* n : {"gb2312", "gbk", "cp936", "x-gbk", "windows-936", "ms936", "euc-cn", "csgb2312", "gb_2312-80",
                        "chinese", "x-euc-cn"})
    if (name == n) return true;
  return false;
}

PageInGbk PageTextInGbk(std::string_view bytes) {
  PageInGbk page;
  std::string_view content = bytes;
  const std::string charset = SourceCharset(content);
  if (charset.empty()) {
    page.text.assign(content);
    return page;
  }
  std::optional<std::string> utf8 =
      NamesUtf8(charset) ? std::optional<std::string>(std::string(content)) : Utf8FromCharset(content, charset);
  if (!utf8) {
    page.text.assign(content);  // a character set the system cannot read: kept as it is
    return page;
  }
  page.text = GbkFromUtf8WithReferences(*utf8);
  page.converted_from = charset;
  return page;
}

}  // namespace qm
