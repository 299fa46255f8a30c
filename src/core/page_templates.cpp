#include "core/page_templates.h"

#include <initializer_list>

#include "runtime/encoding.h"

namespace qm {
namespace {

// The lines of a template, written in UTF-8 here, joined by `separator` and
// converted to code page 936 once.
Text Build(std::initializer_list<std::string_view> lines, std::string_view separator) {
  std::string utf8;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) utf8 += separator;
    utf8 += line;
    first = false;
  }
  return Gbk(utf8);
}

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

const Text& BookPageTemplate() {
  static const Text kText = Build(
      {
          R"(<html><head><meta http-equiv="Content-Type" content="text/html; charset=gb2312"><title>倾情制作</title>)",
          R"(<style type="text/css">)",
          R"(<!--)",
          R"(a {text-decoration:none})",
          R"(A:link { text-decoration: none; color: #0000FF; font-family: "宋体"; font-size: 9pt })",
          R"(A:hover { text-decoration: none; color: #FF0000; font-family: "宋体"; font-size: 9pt })",
          R"(.text1 { font-family: "楷体_GB2312"; font-size: 11pt; line-height: 16pt } -->)",
          R"(</style></head>)",
          R"()",
          R"(<body bgcolor="#669999"><div align="center">)",
          R"(<table border="0" cellpadding="0" cellspacing="0" width="90%">)",
          R"(<td width="90%" bgcolor="#669999">)",
          R"(<table border="0" cellspacing="1" width="100%" cellpadding="5">)",
          R"(<td  background="PAPER10.JPG" bgcolor="#669999">)",
          R"(<table border="0" cellpadding="0" cellspacing="0" width="100%">)",
          R"(<tr><td><font color="#CCCCCC" size=2 >倾情制作</font></td>)",
          R"(<td><p align="right" >[GOP] [GOI] [GON]</td></tr></table></td></tr>)",
          R"(<td width="100%" height="21" bgcolor="#C7E2DA">)",
          R"(<div align="center">[PART1]</div></td></tr>)",
          R"()",
          R"(<td width="100%" height="51" bgcolor="#EAF4F1">)",
          R"(<table width="100%"  border="0" cellpadding="0" cellspacing="0"><td valign="top">)",
          R"(<table align=center border=1 cellpadding=11 cellspacing=3 bordercolorlight="#669999" >)",
          R"(<tr><td><pre><span class=text1>[PART0]</pre></span></td></tr>)",
          R"()",
          R"(<tr><td height="25" align="center"><img src="N02.GIF" width="600" height="16"></td>)",
          R"(</tr></table></td></tr>)",
          R"(<tr><td width="100%" height="20" background="PAPER10.JPG" bgcolor="#F7F7F7">)",
          R"(<table border="0" cellpadding="0" cellspacing="0" width="100%">)",
          R"(<tr><td width="61%"><p class="9"><font color="#CCCCCC" size="2">创建时间：[time]</font></td>)",
          R"(<td width="39%"><p align="right" class="9">[GOP] [GOI] [GON]</td></tr>)",
          R"(</table></td></tr></table></td></tr></table></table><font size="2" color="#00FFFF">声明:本电子书仅供读者试看,请在下载24小时内删除,不得用作商业用途,如果喜欢请购买正版图书!!!</font><br></div></body></html>)",
      },
      kCrLf);
  return kText;
}

const Text& ContentsHeading() {
  static const Text kText = Build(
      {
          R"(<table border="0" cellpadding="0" cellspacing="0" height="100%" align="center">)",
          R"(<font size="6" color="#FF9900">目录</font>)",
          R"(<br><br><br>)",
      },
      kCrLf);
  return kText;
}

const std::vector<Text>& DecorationAlphabet() {
  static const std::vector<Text> kTable = [] {
    std::vector<Text> t;
    for (char c : std::string_view("\\*+^$()[]{}|")) t.emplace_back(1, c);
    for (char c = 'a'; c <= 'z'; ++c) t.emplace_back(1, c);
    for (std::string_view c :
         {"（", "）", "-", "－", "＝", "=", "_", " ", ":", "＋", "~", "&", "`", "'", "#", "@", "%", "/"}) {
      t.push_back(Gbk(c));
    }
    return t;
  }();
  return kTable;
}

const Text& FramedPageHead() {
  static const Text kText = Build(
      {
          R"(<html><body BACKGROUND="leftbg.gif"><br><center>)",
          R"(<table border="1"  cellpadding="0" cellspacing="0" width="95%">)",
          R"(<tr align="middle" bgcolor="#fbc900" bordercolor="#000000"><td valign="top">)",
          R"(<table border="1" bordercolor="#FBC900" cellpadding="0" cellspacing="0" width="100%"><td  valign="top">)",
          R"(<table border="1" bordercolor="#000000" cellpadding="0" cellspacing="0" width="93%"><tr bgcolor="#f6f6f6">)",
          R"(<td align="left" bordercolor="#F6F6F6" width="90%" ><div align="right">)",
          R"(<font size="2" color="#C0C0C0">倾情制作 字号选择：<a href="#" onClick="Content.style.fontSize='15pt';">大号</a>|<a href="#" onClick="Content.style.fontSize='11pt';">中号</a>|<a href="#" onClick="Content.style.fontSize='9pt';">小号</a>)",
          R"(</font></div><hr width="93%" size="1" color="#C0C0C0" align="center">)",
          R"(<table border="0" width="93%" align="center"><td width="96%" id="Content">)",
      },
      "");
  return kText;
}

const Text& FramedPageTail() {
  static const Text kText(R"(<hr width="100%" size="1" color="#C0C0C0" align="center"></BODY></HTML>)");
  return kText;
}

const Text& PlainPageHead() {
  static const Text kText = Build(
      {
          R"(<HTML><HEAD>)",
          R"(<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=gb2312">)",
          R"(</HEAD><BODY><FONT size=2>)",
          R"(<BODY BACKGROUND="leftbg.gif"><hr>)",
          R"(<table width="700" align="center">  )",
          R"(<TD bgColor=#66ddff colSpan=9 height=1></TD>)",
      },
      kCrLf);
  return kText;
}

Text PreviousPageLink(std::string_view page_number) {
  static const Text kTail = Gbk(R"(.htm><font size="2">上一页</font></a>)");
  return "<a href=" + Text(page_number) + kTail;
}

Text NextPageLink(std::string_view page_number) {
  static const Text kTail = Gbk(R"(.htm><font size="2">下一页</font></a>)");
  return "<a href=" + Text(page_number) + kTail;
}

const Text& ContentsPageLink() {
  static const Text kLink = Gbk(R"(<a href="index.htm"><font size="2">目录页</font></a>)");
  return kLink;
}

Text ContentsEntry(std::string_view page_number, std::string_view title) {
  Text entry = R"(<img src="icon.gif">      <A HREF=)";
  entry += page_number;
  entry += ".htm><font size=4>";
  entry += title;
  entry += "</font></A><BR><BR>\r\n";
  return entry;
}

}  // namespace qm
