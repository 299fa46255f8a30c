#include "page_encoding.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/encoding.h"
#include "runtime/text.h"
#include "runtime/text_encoding.h"

namespace hha {
namespace {

// True when every two-byte character of the code page 936 text `text` is
// one of GB 2312 (lead and trail bytes 0xA1 to 0xFE, lead below 0xF8).
bool IsGb2312Text(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) continue;
    if (b < 0xA1 || b > 0xF7 || i + 1 >= text.size()) return false;
    auto t = static_cast<unsigned char>(text[++i]);
    if (t < 0xA1 || t == 0xFF) return false;
  }
  return true;
}

// The name a declaration gives the page's code page 936: "gb2312", which
// every reader knows, unless the page holds characters beyond GB 2312.
// Readers that convert with the system's strict GB 2312 converter (xchm)
// would show such a page empty, so it is declared "gbk".
std::string DeclaredName(std::string_view text) { return IsGb2312Text(text) ? "gb2312" : "gbk"; }

// The page's head in ASCII lower case: everything before its first "<body"
// (in any case), where every declaration stands, and at most its first
// megabyte (readers look for a declaration far sooner). Only the head is
// copied, so that a page of any size costs little more than itself.
std::string LowerHead(std::string_view s) {
  static constexpr std::string_view kBody = "<body";
  static constexpr std::size_t kLongestHead = 1 << 20;
  s = s.substr(0, kLongestHead);
  std::size_t end = s.size();
  for (std::size_t at = s.find('<'); at != std::string_view::npos; at = s.find('<', at + 1)) {
    std::size_t k = 1;
    while (k < kBody.size() && at + k < s.size() && qm::AsciiLowerByte(s[at + k]) == kBody[k]) ++k;
    if (k == kBody.size()) {
      end = at;
      break;
    }
  }
  std::string out(s.substr(0, end));
  for (char& c : out) c = qm::AsciiLowerByte(c);
  return out;
}

// Where a charset name is written in the page: its offset and length.
struct Span {
  std::size_t at = 0, size = 0;
};

bool IsNameChar(char c) {
  return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '-' || c == '_' || c == '.' ||
         c == ':';
}

// The charset names the page's head declares: in <meta> tags and in an XML
// declaration, up to the start of the body. `lower` is the page's head in
// ASCII lower case (LowerHead: same offsets).
std::vector<Span> Declarations(const std::string& lower) {
  std::vector<Span> spans;
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

bool NamesGbk(const std::string& name) {
  for (const char* n : {"gb2312", "gbk", "cp936", "x-gbk", "windows-936", "ms936", "euc-cn", "csgb2312", "gb_2312-80",
                        "chinese", "x-euc-cn"})
    if (name == n) return true;
  return false;
}

bool NamesUtf8(const std::string& name) { return name == "utf-8" || name == "utf8"; }

// UTF-8 by content, by the rule that text files go by too.
bool ReadsAsUtf8(std::string_view bytes) { return qm::DetectTextEncoding(bytes) == qm::TextEncoding::kUtf8; }

// The page's own charset and the bytes after any byte-order mark.
std::string SourceCharset(std::string_view& bytes, const std::vector<Span>& spans, const std::string& lower) {
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
  if (!spans.empty()) {
    std::string name = lower.substr(spans[0].at, spans[0].size);
    if (NamesGbk(name)) return {};
    if (NamesUtf8(name)) return qm::IsGbkText(bytes) && !ReadsAsUtf8(bytes) ? std::string() : name;
    return name;
  }
  return ReadsAsUtf8(bytes) ? "utf-8" : std::string();
}

// Makes every declaration of `text` name code page 936, or adds one.
void DeclareGbk(std::string& text) {
  std::string lower = LowerHead(text);
  std::vector<Span> spans = Declarations(lower);
  const std::string name = DeclaredName(text);
  for (auto it = spans.rbegin(); it != spans.rend(); ++it)
    if (!NamesGbk(lower.substr(it->at, it->size))) text.replace(it->at, it->size, name);
  if (!spans.empty()) return;
  const std::string declaration = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + name + "\">";
  std::size_t head = lower.find("<head");
  std::size_t at = head == std::string::npos ? std::string::npos : lower.find('>', head);
  if (at != std::string::npos) {
    text.insert(at + 1, declaration);
    return;
  }
  std::size_t html = lower.find("<html");
  at = html == std::string::npos ? std::string::npos : lower.find('>', html);
  text.insert(at == std::string::npos ? 0 : at + 1, "<head>" + declaration + "</head>");
}

}  // namespace

bool IsGbkLanguage(std::uint32_t lcid) { return lcid == 0x804 || lcid == 0x1004; }

BookPage PageForBook(std::string_view bytes) {
  BookPage page;
  std::string lower = LowerHead(bytes);
  std::vector<Span> spans = Declarations(lower);
  std::string_view content = bytes;
  std::string charset = SourceCharset(content, spans, lower);
  if (charset.empty()) {
    page.text.assign(content);
  } else {
    std::optional<std::string> utf8 =
        NamesUtf8(charset) ? std::optional<std::string>(std::string(content)) : qm::Utf8FromCharset(content, charset);
    if (utf8) {
      page.text = qm::GbkFromUtf8WithReferences(*utf8);
      page.converted_from = charset;
    } else {
      page.text.assign(content);  // an encoding the system cannot read: kept as it is
    }
  }
  DeclareGbk(page.text);
  return page;
}

}  // namespace hha
