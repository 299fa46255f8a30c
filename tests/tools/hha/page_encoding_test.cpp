// Pages and sitemaps as a code page 936 book stores them.
#include "page_encoding.h"

#include <gtest/gtest.h>

#include "book_fixture.h"
#include "html_text.h"

namespace {

using hha_test::Gbk;

std::string Stored(const std::string& bytes) { return hha::PageForBook(bytes).text; }

TEST(PageForBook, EveryPageBecomesCodePage936AndSaysSo) {
  const std::string meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">";
  // Declared UTF-8, in both forms and in an XML declaration; a character
  // without a code page 936 form becomes its reference.
  EXPECT_EQ(Stored("<html><head><meta charset=\"utf-8\"></head><body>中文・😀</body></html>"),
            "<html><head><meta charset=\"gb2312\"></head><body>" + Gbk("中文") + "&#x30FB;&#x1F600;</body></html>");
  EXPECT_EQ(Stored("<?xml version=\"1.0\" encoding=\"UTF-8\"?><html><head><meta http-equiv=\"Content-Type\" "
                   "content=\"text/html; charset=UTF-8\"/></head><body>江</body></html>"),
            "<?xml version=\"1.0\" encoding=\"gb2312\"?><html><head><meta http-equiv=\"Content-Type\" "
            "content=\"text/html; charset=gb2312\"/></head><body>" +
                Gbk("江") + "</body></html>");
  // A byte-order mark wins over the declaration.
  EXPECT_EQ(Stored(std::string("\xFF\xFE<\0p\0>\0-N\0", 10)), "<head>" + meta + "</head><p>" + Gbk("中"));
  EXPECT_EQ(Stored("\xEF\xBB\xBF<html><head><meta charset=gb2312></head>江"),
            "<html><head><meta charset=gb2312></head>" + Gbk("江"));
  // Code page 936 that says it is UTF-8 (what re-encoding leaves): only the
  // declaration changes.
  EXPECT_EQ(Stored("<head><meta charset=utf-8></head>" + Gbk("联通")),
            "<head><meta charset=gb2312></head>" + Gbk("联通"));
  // Undeclared: short GBK that is also valid UTF-8 stays GBK; UTF-8 CJK text
  // is converted; a declaration is added.
  EXPECT_EQ(Stored("<html><body>" + Gbk("小说") + "</body></html>"),
            "<html><head>" + meta + "</head><body>" + Gbk("小说") + "</body></html>");
  EXPECT_EQ(Stored("<p>山水诗</p>"), "<head>" + meta + "</head><p>" + Gbk("山水诗") + "</p>");
  // Characters beyond GB 2312 are declared "gbk"; a declared code page 936
  // name, and text in another declared encoding, are taken as they say.
  EXPECT_EQ(
      Stored("<p>" + Gbk("鸣骹") + "</p>"),
      "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\"></head><p>" + Gbk("鸣骹") + "</p>");
  EXPECT_EQ(Stored("<head><meta charset=GBK></head>" + Gbk("骹")), "<head><meta charset=GBK></head>" + Gbk("骹"));
  EXPECT_EQ(Stored("<head><meta charset=big5></head>\xA4\xA4"), "<head><meta charset=gb2312></head>" + Gbk("中"));
  EXPECT_EQ(hha::PageForBook("<meta charset=utf-8>中").converted_from, "utf-8");
  EXPECT_EQ(hha::PageForBook(Gbk("中")).converted_from, "");
}

TEST(HtmlText, ReferencesTitlesAndSitemapsReadAsReadersShowThem) {
  EXPECT_EQ(hha::WithCharactersForReferences("value=\"A&#20013;&#160;&#x4E2D;&#12539;&#38;&#60;&#1;\""),
            "value=\"A" + Gbk("中") + " " + Gbk("中") + "&#12539;&#38;&#60;&#1;\"");
  EXPECT_EQ(hha::PageTitle("<HTML><Title>\r\n  " + Gbk("第一") + " &amp;\t&#x4E2D; &nbsp; </TITLE>"),
            Gbk("第一") + " & " + Gbk("中"));
  EXPECT_EQ(hha::PageTitle("<html><body>no title</body>"), "");
}

}  // namespace
