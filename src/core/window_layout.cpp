#include "core/window_layout.h"

#include <array>

#include "core/chapter_rule_text.h"
#include "core/control_names.h"
#include "core/page_templates.h"

namespace qm {
namespace {

using K = ControlKind;

constexpr std::string_view kDropHint = "  ---拖进来---";

constexpr ControlInfo C(std::string_view name, K kind, std::string_view parent, int l, int t, int w, int h,
                        std::string_view text = {}, bool disabled = false, bool hidden = false, EditStyle style = {}) {
  return {name, kind, parent, l, t, w, h, text, disabled, hidden, style, {}};
}

// Edit-box styles: most boxes are single-line on the light grey background.
constexpr EditStyle kGrey = {.grey_background = true};
constexpr EditStyle kDropBox = {.dark_red_text = true, .grey_background = true};
constexpr EditStyle kWhiteLines = {.multi_line = true};
constexpr EditStyle kGreyLines = {.multi_line = true, .grey_background = true};
constexpr EditStyle kGreyWideLines = {.multi_line = true, .horizontal_scroll_bar = true, .grey_background = true};

const std::array kControls = {
    C(controls::kTabControl, K::kTabControl, "", 0, -3, 688, 358)
        .Tip("“网页制作”把文本变成网页并批量整理文件；“CHM制作”由网页文件夹建目录并编译成 CHM 书。"),
    // Page "网页制作": TXT2HTM(A).
    C("分组框1", K::kGroupBox, kWebPage, 8, 29, 162, 87),
    C(controls::kBatchModeRadio, K::kRadioButton, kWebPage, 47, 28, 81, 16, "TXT2HTM(A)")
        .Tip("TXT2HTM(A)"
             "：把一个文件夹（含子文件夹）里的每个文本文件各转成一个带框架的网页。选中它，或直接把文件夹拖到本组的目录"
             "框上。"),
    C("标签15", K::kLabel, "分组框1", 7, 16, 32, 24, "目录："),
    C(controls::kBatchFolderBox, K::kEditBox, "分组框1", 46, 18, 106, 16, kDropHint, false, false, kDropBox)
        .Tip("要批量转换的文件夹：拖到这里，或点右端的“…”选择；之后“批量转换”可用。"),
    C("标签14", K::kLabel, "分组框1", 7, 40, 40, 24, "原类型"),
    C(controls::kOldExtensionBox, K::kEditBox, "分组框1", 47, 39, 30, 18, ".txt", false, false, kGrey)
        .Tip("要转换的文本文件的后缀，例如 .txt。"),
    C("标签7", K::kLabel, "分组框1", 7, 63, 40, 18, "新类型"),
    C(controls::kNewExtensionBox, K::kEditBox, "分组框1", 47, 62, 30, 18, ".htm", false, false, kGrey)
        .Tip("生成的网页的后缀，例如 .htm；网页写在原文件旁边。"),
    C(controls::kBatchConvertButton, K::kButton, "分组框1", 95, 38, 56, 21, "批量转换", true)
        .Tip("把目录里所有“原类型”文件转成“新类型”网页，写在原文件旁边；需要先拖入文件夹。"),
    C(controls::kBatchUndoButton, K::kButton, "分组框1", 95, 62, 56, 18, "取 消", true)
        .Tip("撤销上一次批量转换：删掉它生成的网页，原文本不动。"),
    // utf8-gb2312.
    C("分组框分割2", K::kGroupBox, kWebPage, 8, 147, 162, 80),
    C(controls::kReencodeModeRadio, K::kRadioButton, kWebPage, 47, 148, 88, 16, "utf8-gb2312")
        .Tip("utf8-gb2312：把 UTF-8 编码的网页改写成 GB2312 编码。选中它，或直接把文件夹拖到本组的目录框上。"),
    C("标签16", K::kLabel, "分组框分割2", 6, 26, 32, 16, "目录："),
    C(controls::kReencodeFolderBox, K::kEditBox, "分组框分割2", 45, 25, 103, 16, {}, false, false, kGrey)
        .Tip("要改编码的网页所在的文件夹；结果写到它下面的“处理后”文件夹，原文件不动。"),
    C("标签8", K::kLabel, "分组框分割2", 5, 47, 33, 16, "后缀："),
    C(controls::kReencodeSuffixBox, K::kEditBox, "分组框分割2", 45, 46, 31, 18, ".htm", false, false, kGrey)
        .Tip("只处理这个后缀的文件，例如 .htm。"),
    C(controls::kReencodeButton, K::kButton, "分组框分割2", 90, 45, 56, 20, "编码转换", true)
        .Tip("把目录里的网页从 UTF-8 改写成 GB2312，写到“处理后”文件夹；需要先拖入文件夹。"),
    // File-name replacement.
    C("分组框6", K::kGroupBox, kWebPage, 8, 261, 162, 92),
    C(controls::kRenameModeRadio, K::kRadioButton, kWebPage, 48, 262, 80, 14, "量改文件名")
        .Tip("量改文件名：把文件夹里每个文件名中的一段文字换成另一段（例如把 txt 换成 "
             "htm）。选中它，或直接把文件夹拖到本组的目录框上。"),
    C("标签19", K::kLabel, "分组框6", 8, 16, 32, 24, "目录："),
    C(controls::kRenameFolderBox, K::kEditBox, "分组框6", 48, 18, 98, 16, {}, false, false, kGrey)
        .Tip("要改文件名的文件夹：拖到这里，或点右端的“…”选择。"),
    C("标签18", K::kLabel, "分组框6", 8, 40, 40, 24, "原类型"),
    C(controls::kOldNameTextBox, K::kEditBox, "分组框6", 49, 42, 30, 18, "txt", false, false, kGrey)
        .Tip("文件名里要被替换的文字，例如 txt。"),
    C("标签17", K::kLabel, "分组框6", 8, 63, 40, 24, "新类型"),
    C(controls::kNewNameTextBox, K::kEditBox, "分组框6", 49, 65, 30, 18, "htm", false, false, kGrey)
        .Tip("替换成的文字，例如 htm。"),
    C(controls::kRenameButton, K::kButton, "分组框6", 88, 49, 56, 29, "量 改", true)
        .Tip("把目录里所有文件名中的“原类型”文字换成“新类型”文字，文件就地改名；需要先拖入文件夹。"),
    // TXT2HTM(B), the paged book.
    C("分组框2", K::kGroupBox, kWebPage, 176, 28, 344, 325),
    C(controls::kBookModeRadio, K::kRadioButton, kWebPage, 195, 29, 81, 16, "TXT2HTM(B)")
        .Tip("TXT2HTM(B)：把一个文件夹里的文本按顺序做成一本分页的书（000.htm、001.htm…和目录页 "
             "index.htm）。选中它，或直接把文件夹拖到本组的目录框上。"),
    C("标签21", K::kLabel, "分组框2", 11, 20, 32, 16, "目录："),
    C(controls::kBookFolderBox, K::kEditBox, "分组框2", 58, 20, 150, 16, kDropHint, false, false, kDropBox)
        .Tip("要做成分页书的文本文件夹：拖到这里，或点右端的“…”选择；下面随即列出文本的顺序。"),
    C(controls::kWrapLinesBox, K::kCheckBox, "分组框2", 240, 16, 68, 16, "自动换行")
        .Tip("把文本的每一行都变成网页里的一行（不勾选时按段落排版）。"),
    C(controls::kDecorateBox, K::kCheckBox, "分组框2", 240, 40, 68, 16, "自动加花")
        .Tip("给每行加上花饰图案；只在勾选了“自动换行”时起作用。"),
    C(controls::kBookConvertButton, K::kButton, "分组框2", 96, 48, 71, 24, "转网页")
        .Tip("按下面的顺序把文本写成 000.htm…和目录页 index.htm，放在同一文件夹；原文本移到子文件夹 bak。"),
    C("标签4", K::kLabel, "分组框2", 16, 79, 264, 16, "目录中文档顺序（需要时用手工编辑来排序）："),
    C(controls::kOrderListBox, K::kEditBox, "分组框2", 8, 95, 337, 180, {}, false, false, kWhiteLines)
        .Tip("书中各页的顺序，每行一个文本文件名；可以手工调整行的先后再“转网页”。"),
    C("标签页眉", K::kLabel, "分组框2", 8, 282, 36, 16, "页眉："),
    C(controls::kHeaderBox, K::kEditBox, "分组框2", 44, 280, 120, 18, kBookHeaderUtf8, false, false, kGrey)
        .Tip("每页最上面的一行字；保持“倾情制作”时网页与以前一样。"),
    C(controls::kNaturalOrderBox, K::kCheckBox, "分组框2", 190, 280, 120, 18, "按章节序号排序")
        .Tip("拖入文件夹时按文件名中的章节序号（含中文数字）排列顺序：第2章在第10章前。"),
    C("标签声明", K::kLabel, "分组框2", 8, 304, 36, 16, "声明："),
    C(controls::kNoticeBox, K::kEditBox, "分组框2", 44, 302, 292, 18, kBookNoticeUtf8, false, false, kGrey)
        .Tip("写进每页的声明文字；清空则各页不留声明。"),
    // Page simplifier.
    C("分组框7", K::kGroupBox, kWebPage, 536, 240, 144, 112),
    C(controls::kSimplifyModeRadio, K::kRadioButton, kWebPage, 546, 239, 68, 15, "精简网页")
        .Tip("精简网页：把每个网页中“前标记”到“后标记”之间的内容删掉（例如广告）。选中它，或直接把文件夹拖到本组的目录"
             "框上。"),
    C("标签9", K::kLabel, "分组框7", 6, 21, 32, 16, "目录："),
    C(controls::kSimplifyFolderBox, K::kEditBox, "分组框7", 47, 20, 87, 16, {}, false, false, kGrey)
        .Tip("要精简的网页所在的文件夹；结果写到它下面的“处理后”文件夹，原文件不动。"),
    C("标签10", K::kLabel, "分组框7", 6, 41, 40, 16, "原后缀"),
    C(controls::kSimplifySuffixBox, K::kEditBox, "分组框7", 47, 42, 29, 16, ".htm", false, false, kGrey)
        .Tip("只处理这个后缀的文件，例如 .htm。"),
    C(controls::kSimplifyButton, K::kButton, "分组框7", 78, 40, 56, 20, "批量处理", true)
        .Tip("把目录里每个网页中两个标记之间的内容删掉，写到“处理后”文件夹；需要先拖入文件夹。"),
    C("标签11", K::kLabel, "分组框7", 6, 63, 40, 16, "前标记"),
    C(controls::kFrontMarkerBox, K::kEditBox, "分组框7", 47, 64, 87, 16, {}, false, false, kGrey)
        .Tip("要删掉的一段从这段文字开始（连同它）。"),
    C("标签12", K::kLabel, "分组框7", 6, 83, 40, 16, "后标记"),
    C(controls::kBackMarkerBox, K::kEditBox, "分组框7", 47, 83, 87, 16, {}, false, false, kGrey)
        .Tip("要删掉的一段到这段文字结束（连同它）。"),
    // The promotional panel.
    C("标签1", K::kLabel, kWebPage, 520, 35, 168, 16, "Quillmere 文本电子书工具"),
    C(controls::kGuideLink, K::kHyperlink, kWebPage, 536, 51, 144, 32, "使用说明").Tip("在浏览器中打开中文使用说明。"),
    C("标签2", K::kLabel, kWebPage, 528, 188, 72, 16, "CHM 格式："),
    C("标签3", K::kLabel, kWebPage, 600, 188, 80, 16, "HTML Help 1.x"),
    C("超级链接框2", K::kHyperlink, kWebPage, 536, 206, 144, 32, "HTML Help 资料")
        .Tip("在浏览器中打开 HTML Help 的资料网页。"),
    // Chapter splitter.
    C("分组框分章节", K::kGroupBox, kWebPage, 536, 88, 144, 96),
    C(controls::kSplitModeRadio, K::kRadioButton, kWebPage, 546, 87, 60, 15, "分章节")
        .Tip("分章节：把一整部小说文本按章拆成每章一个文本，放在它旁边以书名命名的新文件夹里。选中它，或把文本拖到本组"
             "的框上。"),
    C("标签分章路径", K::kLabel, "分组框分章节", 6, 21, 40, 16, "文本："),
    C(controls::kSplitPathBox, K::kEditBox, "分组框分章节", 47, 20, 87, 16, {}, false, false, kGrey)
        .Tip("要分章的小说文本（或装着文本的文件夹）：拖到这里，或点右端的“…”选择。"),
    C("标签分章规则", K::kLabel, "分组框分章节", 6, 42, 40, 16, "章节："),
    C(controls::kChapterRuleBox, K::kEditBox, "分组框分章节", 47, 41, 87, 16, kDefaultChapterRuleUtf8, false, false,
      kGrey)
        .Tip("认出章节标题行的规则（正则表达式），例如“第……章”；可以改了再分一次。"),
    C(controls::kSplitButton, K::kButton, "分组框分章节", 78, 64, 56, 22, "分章节", true)
        .Tip("按规则把文本拆成每章一个文本（GB2312），写进它旁边的新文件夹，原文本不动；需要先拖入文本。"),
    C(controls::kWebDropArea, K::kDropTarget, kWebPage, 0, 0, 0, 0),
    // Page "CHM制作".
    C("标签22", K::kLabel, kChmPage, 11, 37, 69, 16, "网页文件夹："),
    C(chm::kFolderBox, K::kEditBox, kChmPage, 80, 35, 171, 20, kDropHint, false, false, kDropBox)
        .Tip("要做成 CHM 书的网页文件夹：拖到这里，或点右端的“…”选择；左边的树随即列出其中的网页。拖入 .chm "
             "文件则可以解包。"),
    C(chm::kNoOwnContentsBox, K::kCheckBox, kChmPage, 274, 27, 80, 17, "不自建目录")
        .Tip("勾选后不用左边的树生成目录文件，直接用工程文件编译。"),
    C(chm::kPageTitleBox, K::kCheckBox, kChmPage, 274, 45, 80, 17, "用网页标题")
        .Tip("建目录时用每个网页的标题（HTML 的 title）作目录项的名字，而不用文件名。"),
    C(chm::kFullTextSearchBox, K::kCheckBox, kChmPage, 598, 36, 80, 17, "全文搜索")
        .Tip("编译时给书建全文搜索索引，读者可在阅读器的“搜索”页查字词；工程文件随即写上 Full-text search=Yes。"),
    C(chm::kBuildButton, K::kButton, kChmPage, 363, 32, 69, 24, "建CHM目录")
        .Tip("用左边的树写出目录文件（书名.hhc）和工程文件（书名.hhp），放在网页文件夹里；先在树上点一页作为主页。"),
    C(chm::kUnpackButton, K::kButton, kChmPage, 473, 32, 52, 24, "CHM解包", true)
        .Tip("把拖入的 .chm 书解包到它旁边与书同名的文件夹。"),
    C(chm::kCompileButton, K::kButton, kChmPage, 526, 32, 64, 24, "转CHM", true)
        .Tip("编译成 CHM 书（书名.chm），放在网页文件夹里。树改过而还没有“建CHM目录”时，先自动重建目录。"),
    C(chm::kTree, K::kTreeBox, kChmPage, 8, 62, 224, 259)
        .Tip("书的目录。点一页作为主页（粗体显示）；在同级中拖动节点可换位置；Delete 删除，Ctrl+↑/↓ 移动，Ctrl+Z "
             "撤销。"),
    C(chm::kContentsBox, K::kEditBox, kChmPage, 240, 63, 224, 260, {}, false, false, kGreyWideLines)
        .Tip("目录文件（.hhc）的内容，由“建CHM目录”按树生成。"),
    C(chm::kProjectBox, K::kEditBox, kChmPage, 472, 63, 206, 259, {}, false, false, kGreyLines)
        .Tip("工程文件（.hhp）的内容：在树上点一页约一秒后生成，可以手工修改。"),
    C(chm::kMoveUpButton, K::kButton, kChmPage, 8, 328, 32, 24, "上移")
        .Tip("把选中的节点连同它下面的节点在同级中上移一位（Ctrl+↑）。"),
    C(chm::kMoveDownButton, K::kButton, kChmPage, 42, 328, 32, 24, "下移")
        .Tip("把选中的节点连同它下面的节点在同级中下移一位（Ctrl+↓）。"),
    C(chm::kDeleteItemButton, K::kButton, kChmPage, 76, 328, 56, 24, "删除节点")
        .Tip("从树中删掉选中的节点和它下面的全部节点（Delete）；文件不会被删除。"),
    C(chm::kDeleteChildrenButton, K::kButton, kChmPage, 133, 328, 68, 24, "删除子节点")
        .Tip("删掉选中节点下面的全部节点，节点本身保留；文件不会被删除。"),
    C(chm::kFilterButton, K::kButton, kChmPage, 202, 328, 38, 24, "过滤")
        .Tip("删掉树中所有不是网页（.htm/.html）又没有下级的节点；文件不会被删除。"),
    C(chm::kUndoButton, K::kButton, kChmPage, 244, 328, 40, 24, "撤销")
        .Tip("撤销上一次对树的修改（Ctrl+Z），最多可撤销最近 50 次。"),
    C(chm::kHomePageBox, K::kEditBox, kChmPage, 472, 331, 80, 20, {}, false, true).Tip("主页的路径。"),
    C(chm::kOpenBookButton, K::kButton, kChmPage, 300, 328, 64, 24, "打开书")
        .Tip("用系统的 CHM 阅读器打开刚编译好的书。"),
    C(chm::kOpenFolderButton, K::kButton, kChmPage, 368, 328, 80, 24, "打开文件夹")
        .Tip("用文件管理器打开刚编译好的书或刚解包出的网页所在的文件夹。"),
    C(chm::kPreviewTimer, K::kTimer, kChmPage, 0, 0, 0, 0),
    C(controls::kChmDropArea, K::kDropTarget, kChmPage, 0, 0, 0, 0),
    // Outside the tab control, beyond the window's right edge.
    C("超文本浏览框1", K::kWebView, "", 896, 176, 144, 224),
};

}  // namespace

std::span<const ControlInfo> WindowControls() { return kControls; }

const ControlInfo* FindControl(std::string_view name) {
  for (const ControlInfo& c : kControls) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

std::string_view PageOf(std::string_view name) {
  const ControlInfo* c = FindControl(name);
  while (c) {
    if (c->parent == kWebPage || c->parent == kChmPage) return c->parent;
    c = FindControl(c->parent);
  }
  return {};
}

std::span<const FolderBox> FolderBoxes() {
  static constexpr FolderBox kBoxes[] = {
      {controls::kBatchFolderBox, controls::kBatchModeRadio},
      {controls::kReencodeFolderBox, controls::kReencodeModeRadio},
      {controls::kRenameFolderBox, controls::kRenameModeRadio},
      {controls::kBookFolderBox, controls::kBookModeRadio},
      {controls::kSimplifyFolderBox, controls::kSimplifyModeRadio},
      {controls::kSplitPathBox, controls::kSplitModeRadio},
      {chm::kFolderBox, ""},
  };
  return kBoxes;
}

EditStyle StyleOf(std::string_view box) {
  const ControlInfo* c = FindControl(box);
  return c ? c->style : EditStyle{};
}

bool IsMultiLine(std::string_view box) { return StyleOf(box).multi_line; }
bool HasHorizontalScrollBar(std::string_view box) { return StyleOf(box).horizontal_scroll_bar; }
bool HasDarkRedText(std::string_view box) { return StyleOf(box).dark_red_text; }
bool HasGreyBackground(std::string_view box) { return StyleOf(box).grey_background; }

}  // namespace qm
