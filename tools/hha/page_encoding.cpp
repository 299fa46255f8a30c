#include "page_encoding.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "runtime/page_charset.h"

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

// Makes every declaration of `text` name code page 936, or adds one.
void DeclareGbk(std::string& text) {
  std::string lower = qm::LowerPageHead(text);
  std::vector<qm::CharsetSpan> spans = qm::CharsetDeclarations(lower);
  // The name takes a pass over the whole page: made only for a page whose
  // declarations do not already name code page 936, or that has none.
  std::string name;
  auto declared_name = [&]() -> const std::string& {
    if (name.empty()) name = DeclaredName(text);
    return name;
  };
  for (auto it = spans.rbegin(); it != spans.rend(); ++it)
    if (!qm::NamesGbkCharset(lower.substr(it->at, it->size))) text.replace(it->at, it->size, declared_name());
  if (!spans.empty()) return;
  const std::string declaration =
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + declared_name() + "\">";
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

std::string DeclaredName(std::string_view text) { return IsGb2312Text(text) ? "gb2312" : "gbk"; }

bool IsGbkLanguage(std::uint32_t lcid) { return lcid == 0x804 || lcid == 0x1004; }

BookPage PageForBook(std::string_view bytes) {
  qm::PageInGbk in_gbk = qm::PageTextInGbk(bytes);
  BookPage page{std::move(in_gbk.text), std::move(in_gbk.converted_from)};
  DeclareGbk(page.text);
  return page;
}

}  // namespace hha
