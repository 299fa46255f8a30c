#include "core/window_layout.h"

#include <array>

#include "core/control_names.h"

namespace qm {
namespace {

using K = ControlKind;

constexpr std::string_view kDropHint = "  ---拖进来---";

constexpr ControlInfo C(std::string_view name, K kind, std::string_view parent, int l, int t, int w, int h,
                        std::string_view text = {}, bool disabled = false, bool hidden = false, EditStyle style = {}) {
  return {name, kind, parent, l, t, w, h, text, disabled, hidden, style};
}

// Edit-box styles: most boxes are single-line on the light grey background.
constexpr EditStyle kGrey = {.grey_background = true};
constexpr EditStyle kDropBox = {.dark_red_text = true, .grey_background = true};
constexpr EditStyle kWhiteLines = {.multi_line = true};
constexpr EditStyle kGreyLines = {.multi_line = true, .grey_background = true};
constexpr EditStyle kGreyWideLines = {.multi_line = true, .horizontal_scroll_bar = true, .grey_background = true};

const std::array kControls = {
    C(controls::kTabControl, K::kTabControl, "", 0, -3, 688, 358),
    // Page "网页制作": TXT2HTM(A).
    C("分组框1", K::kGroupBox, kWebPage, 8, 29, 162, 87),
    C(controls::kBatchModeRadio, K::kRadioButton, kWebPage, 47, 28, 81, 16, "TXT2HTM(A)"),
    C("标签15", K::kLabel, "分组框1", 7, 16, 32, 24, "目录："),
    C(controls::kBatchFolderBox, K::kEditBox, "分组框1", 46, 18, 106, 16, kDropHint, false, false, kDropBox),
    C("标签14", K::kLabel, "分组框1", 7, 40, 40, 24, "原类型"),
    C(controls::kOldExtensionBox, K::kEditBox, "分组框1", 47, 39, 30, 18, ".txt", false, false, kGrey),
    C("标签7", K::kLabel, "分组框1", 7, 63, 40, 18, "新类型"),
    C(controls::kNewExtensionBox, K::kEditBox, "分组框1", 47, 62, 30, 18, ".htm", false, false, kGrey),
    C(controls::kBatchConvertButton, K::kButton, "分组框1", 95, 38, 56, 21, "批量转换", true),
    C(controls::kBatchUndoButton, K::kButton, "分组框1", 95, 62, 56, 18, "取 消", true),
    // utf8-gb2312.
    C("分组框分割2", K::kGroupBox, kWebPage, 8, 147, 162, 80),
    C(controls::kReencodeModeRadio, K::kRadioButton, kWebPage, 47, 148, 88, 16, "utf8-gb2312"),
    C("标签16", K::kLabel, "分组框分割2", 6, 26, 32, 16, "目录："),
    C(controls::kReencodeFolderBox, K::kEditBox, "分组框分割2", 45, 25, 103, 16, {}, false, false, kGrey),
    C("标签8", K::kLabel, "分组框分割2", 5, 47, 33, 16, "后缀："),
    C(controls::kReencodeSuffixBox, K::kEditBox, "分组框分割2", 45, 46, 31, 18, ".htm", false, false, kGrey),
    C(controls::kReencodeButton, K::kButton, "分组框分割2", 90, 45, 56, 20, "编码转换", true),
    // File-name replacement.
    C("分组框6", K::kGroupBox, kWebPage, 8, 261, 162, 92),
    C(controls::kRenameModeRadio, K::kRadioButton, kWebPage, 48, 262, 80, 14, "量改文件名"),
    C("标签19", K::kLabel, "分组框6", 8, 16, 32, 24, "目录："),
    C(controls::kRenameFolderBox, K::kEditBox, "分组框6", 48, 18, 98, 16, {}, false, false, kGrey),
    C("标签18", K::kLabel, "分组框6", 8, 40, 40, 24, "原类型"),
    C(controls::kOldNameTextBox, K::kEditBox, "分组框6", 49, 42, 30, 18, "txt", false, false, kGrey),
    C("标签17", K::kLabel, "分组框6", 8, 63, 40, 24, "新类型"),
    C(controls::kNewNameTextBox, K::kEditBox, "分组框6", 49, 65, 30, 18, "htm", false, false, kGrey),
    C(controls::kRenameButton, K::kButton, "分组框6", 88, 49, 56, 29, "量 改", true),
    // TXT2HTM(B), the paged book.
    C("分组框2", K::kGroupBox, kWebPage, 176, 28, 344, 325),
    C(controls::kBookModeRadio, K::kRadioButton, kWebPage, 195, 29, 81, 16, "TXT2HTM(B)"),
    C("标签21", K::kLabel, "分组框2", 11, 20, 32, 16, "目录："),
    C(controls::kBookFolderBox, K::kEditBox, "分组框2", 58, 20, 150, 16, kDropHint, false, false, kDropBox),
    C(controls::kWrapLinesBox, K::kCheckBox, "分组框2", 240, 16, 68, 16, "自动换行"),
    C(controls::kDecorateBox, K::kCheckBox, "分组框2", 240, 40, 68, 16, "自动加花"),
    C(controls::kBookConvertButton, K::kButton, "分组框2", 96, 48, 71, 24, "转网页"),
    C("标签4", K::kLabel, "分组框2", 16, 79, 264, 16, "目录中文档顺序（需要时用手工编辑来排序）："),
    C(controls::kOrderListBox, K::kEditBox, "分组框2", 8, 95, 337, 224, {}, false, false, kWhiteLines),
    // Page simplifier.
    C("分组框7", K::kGroupBox, kWebPage, 536, 240, 144, 112),
    C(controls::kSimplifyModeRadio, K::kRadioButton, kWebPage, 546, 239, 68, 15, "精简网页"),
    C("标签9", K::kLabel, "分组框7", 6, 21, 32, 16, "目录："),
    C(controls::kSimplifyFolderBox, K::kEditBox, "分组框7", 47, 20, 87, 16, {}, false, false, kGrey),
    C("标签10", K::kLabel, "分组框7", 6, 41, 40, 16, "原后缀"),
    C(controls::kSimplifySuffixBox, K::kEditBox, "分组框7", 47, 42, 29, 16, ".htm", false, false, kGrey),
    C(controls::kSimplifyButton, K::kButton, "分组框7", 78, 40, 56, 20, "批量处理", true),
    C("标签11", K::kLabel, "分组框7", 6, 63, 40, 16, "前标记"),
    C(controls::kFrontMarkerBox, K::kEditBox, "分组框7", 47, 64, 87, 16, {}, false, false, kGrey),
    C("标签12", K::kLabel, "分组框7", 6, 83, 40, 16, "后标记"),
    C(controls::kBackMarkerBox, K::kEditBox, "分组框7", 47, 83, 87, 16, {}, false, false, kGrey),
    // The promotional panel.
    C("标签1", K::kLabel, kWebPage, 520, 35, 168, 16, "Quillmere 文本电子书工具"),
    C(controls::kGuideLink, K::kHyperlink, kWebPage, 536, 51, 144, 32, "使用说明"),
    C("标签2", K::kLabel, kWebPage, 528, 131, 72, 16, "CHM 格式："),
    C("标签3", K::kLabel, kWebPage, 568, 147, 120, 16, "HTML Help 1.x"),
    C("超级链接框2", K::kHyperlink, kWebPage, 536, 176, 144, 32, "HTML Help 资料"),
    C(controls::kWebDropArea, K::kDropTarget, kWebPage, 0, 0, 0, 0),
    // Page "CHM制作".
    C("标签22", K::kLabel, kChmPage, 11, 37, 69, 16, "网页文件夹："),
    C(chm::kFolderBox, K::kEditBox, kChmPage, 80, 35, 171, 20, kDropHint, false, false, kDropBox),
    C(chm::kNoOwnContentsBox, K::kCheckBox, kChmPage, 274, 27, 80, 17, "不自建目录"),
    C(chm::kPageTitleBox, K::kCheckBox, kChmPage, 274, 45, 80, 17, "用网页标题"),
    C(chm::kFullTextSearchBox, K::kCheckBox, kChmPage, 274, 9, 80, 17, "全文搜索"),
    C(chm::kBuildButton, K::kButton, kChmPage, 363, 32, 69, 24, "建CHM目录"),
    C(chm::kUnpackButton, K::kButton, kChmPage, 473, 32, 52, 24, "CHM解包", true),
    C(chm::kCompileButton, K::kButton, kChmPage, 526, 32, 64, 24, "转CHM", true),
    C(chm::kTree, K::kTreeBox, kChmPage, 8, 62, 224, 259),
    C(chm::kContentsBox, K::kEditBox, kChmPage, 240, 63, 224, 260, {}, false, false, kGreyWideLines),
    C(chm::kProjectBox, K::kEditBox, kChmPage, 472, 63, 206, 259, {}, false, false, kGreyLines),
    C(chm::kMoveUpButton, K::kButton, kChmPage, 8, 328, 32, 24, "上移"),
    C(chm::kMoveDownButton, K::kButton, kChmPage, 42, 328, 32, 24, "下移"),
    C(chm::kDeleteItemButton, K::kButton, kChmPage, 76, 328, 56, 24, "删除节点"),
    C(chm::kDeleteChildrenButton, K::kButton, kChmPage, 133, 328, 68, 24, "删除子节点"),
    C(chm::kFilterButton, K::kButton, kChmPage, 202, 328, 38, 24, "过滤"),
    C(chm::kHomePageBox, K::kEditBox, kChmPage, 472, 331, 80, 20, {}, false, true),
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
