#include "book_fixture.h"

#include <gtest/gtest.h>

#include <random>

#include "page_encoding.h"
#include "runtime/encoding.h"
#include "support/tab_project.h"

namespace hha_test {

std::string Gbk(const std::string& utf8) {
  std::string gbk = qm::GbkFromUtf8(utf8);
  EXPECT_EQ(qm::Utf8FromGbk(gbk), utf8) << "no code page 936 form";
  return gbk;
}

std::optional<std::string> Utf8OfGbk(std::string_view gbk) {
  std::string utf8 = qm::Utf8FromGbk(gbk);
  if (utf8.find("\xEF\xBF\xBD") != std::string::npos) return std::nullopt;
  return utf8;
}

namespace {

std::string ContentsUtf8(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text =
      "<HTML><HEAD><META name=\"GENERATOR\" content=\"Vellumix 1.0.1\">\r\n"
      "<!-- Sitemap 1.0 --></HEAD><BODY>\r\n"
      "<OBJECT type=\"text/site properties\">\r\n"
      "<PARAM name=\"Window Styles\" value=\"0x800627\">\r\n"
      "<PARAM name=\"ImageType\" value=\"Folder\">\r\n"
      "</OBJECT>\r\n"
      "<UL>\r\n";
  for (const auto& [name, local] : entries) {
    text += "<LI><OBJECT type=\"text/sitemap\">\r\n<PARAM name=\"Name\" value=\"" + name +
            "\">\r\n<PARAM name=\"Local\" value=\"" + local + "\">\r\n</OBJECT>\r\n";
  }
  text += "\r\n</UL></BODY></HTML>";
  return text;
}

}  // namespace

std::string TabProject(const std::string& book, const std::string& home, const std::vector<std::string>& files) {
  return Gbk(qm::TabProjectUtf8(book, home, files));
}

std::string TabContents(const std::vector<std::pair<std::string, std::string>>& entries) {
  return Gbk(ContentsUtf8(entries));
}

std::string TabProjectWithEscapes(const std::string& book, const std::string& home,
                                  const std::vector<std::string>& files) {
  return qm::TextFromNativeName(qm::TabProjectUtf8(book, home, files));
}

std::string TabContentsWithEscapes(const std::vector<std::pair<std::string, std::string>>& entries) {
  return qm::TextFromNativeName(ContentsUtf8(entries));
}

std::string Stored(const std::string& page) { return hha::PageForBook(page).text; }

std::string PageContent(unsigned seed, std::size_t size, bool chinese) {
  static const char* kAscii[] = {"the ", "river ", "night ", "said ",    "and ",
                                 "of ",  "light ", "a ",     "chapter ", "\r\n"};
  static const std::vector<std::string> kChinese = [] {
    std::vector<std::string> words;
    for (const char* w : {"的", "江水", "夜色", "他说", "和", "一个", "明月", "第", "章", "。\r\n"})
      words.push_back(Gbk(w));
    return words;
  }();
  std::mt19937 rng(seed);
  std::string body;
  std::uniform_int_distribution<int> pick(0, 9);
  while (body.size() < size) body += chinese ? kChinese[pick(rng)] : std::string(kAscii[pick(rng)]);
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"></head><body>" + body +
         "</body></html>";
}

}  // namespace hha_test
