#include "chm/project_templates.h"

#include "runtime/encoding.h"

namespace qm {

const Text& ProjectTemplate() {
  static const Text kText =
      Gbk("[OPTIONS]\r\n"
          "Display compile progress=no\r\n"
          "Default Window=win\r\n"
          "Compiled file=名字.chm\r\n"
          "Default topic=主页\r\n"
          "\r\n"
          "[WINDOWS]\r\n"
          "win=\"名字\",\"名字.hhc\",,\"主页\",\"主页\",,,,,0x040120,,0x304E,[0,0,1010,738],0x0,0x0,,,,,\r\n"
          "\r\n"
          "[FILES]\r\n"
          "\r\n"
          "DDDDD");
  return kText;
}

const Text& ContentsHeader() {
  static const Text kText =
      "<HTML><HEAD><META name=\"GENERATOR\" content=\"Vellumix 1.0.1\">\r\n"
      "<!-- Sitemap 1.0 --></HEAD><BODY>\r\n"
      "<OBJECT type=\"text/site properties\">\r\n"
      "<PARAM name=\"Window Styles\" value=\"0x800627\">\r\n"
      "<PARAM name=\"ImageType\" value=\"Folder\">\r\n"
      "</OBJECT>\r\n"
      "<UL>\r\n";
  return kText;
}

const Text& ContentsFooter() {
  static const Text kText = "\r\n</UL></BODY></HTML>";
  return kText;
}

const Text& FolderEntryTemplate() {
  static const Text kText =
      "<LI><OBJECT type=\"text/sitemap\">\r\n"
      "<PARAM name=\"Name\" value=\"BBBBBB\">\r\n"
      "</OBJECT>";
  return kText;
}

const Text& NestedDocumentEntryTemplate() {
  static const Text kText =
      "<LI><OBJECT type=\"text/sitemap\">\r\n"
      "<PARAM name=\"Name\" value=\"AAAAAA\">\r\n"
      "<PARAM name=\"Local\" value=\"CCCCCC\">\r\n"
      "</OBJECT>";
  return kText;
}

const Text& TopDocumentEntryTemplate() {
  static const Text kText =
      "<LI><OBJECT type=\"text/sitemap\">\r\n"
      "<PARAM name=\"Name\" value=\"AAAAAA\">\r\n"
      "<PARAM name=\"Local\" value=\"GGGGGG\">\r\n"
      "</OBJECT>";
  return kText;
}

void AppendCloseLists(Text& out, int levels) {
  if (levels <= 0) return;
  out += "\r\n";
  for (int k = 0; k < levels; ++k) out += "</UL>\r\n";
}

}  // namespace qm
