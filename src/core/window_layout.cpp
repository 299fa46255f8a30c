#include "core/window_layout.h"

#include <array>

namespace qm {
namespace {

using K = ControlKind;

constexpr std::string_view kDropHint = "  ---拖进来---";

constexpr ControlInfo C(std::string_view name, K kind, std::string_view parent, int l, int t, int w,
                        int h, std::string_view text = {}, bool disabled = false, bool hidden = false) {
  return {name, kind, parent, l, t, w, h, text, disabled, hidden};
}

const std::array kControls = {
    C("选择夹1", K::kTabControl, "", 0, -3, 688, 358),
    // Page "网页制作": TXT2HTM(A).
    C("分组框1", K::kGroupBox, kWebPage, 8, 29, 162, 87),
    C("单选框TXT2HTMa", K::kRadioButton, kWebPage, 47, 28, 81, 16, "TXT2HTM(A)"),
    C("标签15", K::kLabel, "分组框1", 7, 16, 32, 24, "目录："),
    C("编辑框txt2htm", K::kEditBox, "分组框1", 46, 18, 106, 16, kDropHint),
    C("标签14", K::kLabel, "分组框1", 7, 40, 40, 24, "原类型"),
    C("编辑框原类型", K::kEditBox, "分组框1", 47, 39, 30, 18, ".txt"),
    C("标签7", K::kLabel, "分组框1", 7, 63, 40, 18, "新类型"),
    C("编辑框新类型", K::kEditBox, "分组框1", 47, 62, 30, 18, ".htm"),
    C("按钮批量转换", K::kButton, "分组框1", 95, 38, 56, 21, "批量转换", true),
    C("按钮取消转换", K::kButton, "分组框1", 95, 62, 56, 18, "取 消", true),
    // utf8-gb2312.
    C("分组框分割2", K::kGroupBox, kWebPage, 8, 147, 162, 80),
    C("单选框utf8gb2312", K::kRadioButton, kWebPage, 47, 148, 88, 16, "utf8-gb2312"),
    C("标签16", K::kLabel, "分组框分割2", 6, 26, 32, 16, "目录："),
    C("编辑框编码转换路径", K::kEditBox, "分组框分割2", 45, 25, 103, 16),
    C("标签8", K::kLabel, "分组框分割2", 5, 47, 33, 16, "后缀："),
    C("编辑框编码后缀", K::kEditBox, "分组框分割2", 45, 46, 31, 18, ".htm"),
    C("按钮编码转换", K::kButton, "分组框分割2", 90, 45, 56, 20, "编码转换", true),
    // File-name replacement.
    C("分组框6", K::kGroupBox, kWebPage, 8, 261, 162, 92),
    C("单选框量改后缀", K::kRadioButton, kWebPage, 48, 262, 80, 14, "量改文件名"),
    C("标签19", K::kLabel, "分组框6", 8, 16, 32, 24, "目录："),
    C("编辑框路径改字符", K::kEditBox, "分组框6", 48, 18, 98, 16),
    C("标签18", K::kLabel, "分组框6", 8, 40, 40, 24, "原类型"),
    C("编辑框原字符", K::kEditBox, "分组框6", 49, 42, 30, 18, "txt"),
    C("标签17", K::kLabel, "分组框6", 8, 63, 40, 24, "新类型"),
    C("编辑框新字符", K::kEditBox, "分组框6", 49, 65, 30, 18, "htm"),
    C("按钮量改字符", K::kButton, "分组框6", 88, 49, 56, 29, "量 改", true),
    // TXT2HTM(B), the paged book.
    C("分组框2", K::kGroupBox, kWebPage, 176, 28, 344, 325),
    C("单选框TXT2HTMb", K::kRadioButton, kWebPage, 195, 29, 81, 16, "TXT2HTM(B)"),
    C("标签21", K::kLabel, "分组框2", 11, 20, 32, 16, "目录："),
    C("编辑框21", K::kEditBox, "分组框2", 58, 20, 150, 16, kDropHint),
    C("选择框自动换行", K::kCheckBox, "分组框2", 240, 16, 68, 16, "自动换行"),
    C("选择框自动加花", K::kCheckBox, "分组框2", 240, 40, 68, 16, "自动加花"),
    C("按钮转网页", K::kButton, "分组框2", 96, 48, 71, 24, "转网页"),
    C("标签4", K::kLabel, "分组框2", 16, 79, 264, 16, "目录中文档顺序（需要时用手工编辑来排序）："),
    C("编辑框11", K::kEditBox, "分组框2", 8, 95, 337, 224),
    // Page simplifier.
    C("分组框7", K::kGroupBox, kWebPage, 536, 240, 144, 112),
    C("单选框精简网页", K::kRadioButton, kWebPage, 546, 239, 68, 15, "精简网页"),
    C("标签9", K::kLabel, "分组框7", 6, 21, 32, 16, "目录："),
    C("编辑框精简网页", K::kEditBox, "分组框7", 47, 20, 87, 16),
    C("标签10", K::kLabel, "分组框7", 6, 41, 40, 16, "原后缀"),
    C("编辑框后缀", K::kEditBox, "分组框7", 47, 42, 29, 16, ".htm"),
    C("按钮精简网页", K::kButton, "分组框7", 78, 40, 56, 20, "批量处理", true),
    C("标签11", K::kLabel, "分组框7", 6, 63, 40, 16, "前标记"),
    C("编辑框前标记", K::kEditBox, "分组框7", 47, 64, 87, 16),
    C("标签12", K::kLabel, "分组框7", 6, 83, 40, 16, "后标记"),
    C("编辑框后标记", K::kEditBox, "分组框7", 47, 83, 87, 16),
    // The promotional panel.
    C("标签1", K::kLabel, kWebPage, 520, 35, 168, 16, "Quillmere 文本电子书工具"),
    C("超级链接框1", K::kHyperlink, kWebPage, 536, 51, 144, 32, "使用说明"),
    C("标签2", K::kLabel, kWebPage, 528, 131, 72, 16, "CHM 格式："),
    C("标签3", K::kLabel, kWebPage, 568, 147, 120, 16, "HTML Help 1.x"),
    C("超级链接框2", K::kHyperlink, kWebPage, 536, 176, 144, 32, "HTML Help 资料"),
    C("拖放对象1", K::kDropTarget, kWebPage, 0, 0, 0, 0),
    // Page "CHM制作".
    C("标签22", K::kLabel, kChmPage, 11, 37, 69, 16, "网页文件夹："),
    C("编辑框1", K::kEditBox, kChmPage, 80, 35, 171, 20, kDropHint),
    C("选择框不建目录", K::kCheckBox, kChmPage, 274, 27, 80, 17, "不自建目录"),
    C("选择框网页标题", K::kCheckBox, kChmPage, 274, 45, 80, 17, "用网页标题"),
    C("按钮建工程", K::kButton, kChmPage, 363, 32, 69, 24, "建CHM目录"),
    C("按钮CHM解包", K::kButton, kChmPage, 473, 32, 52, 24, "CHM解包", true),
    C("按钮转CHM", K::kButton, kChmPage, 526, 32, 64, 24, "转CHM", true),
    C("树型框1", K::kTreeBox, kChmPage, 8, 62, 224, 259),
    C("编辑框10", K::kEditBox, kChmPage, 240, 63, 224, 260),
    C("编辑框4", K::kEditBox, kChmPage, 472, 63, 206, 259),
    C("按钮上移", K::kButton, kChmPage, 8, 328, 32, 24, "上移"),
    C("按钮下移", K::kButton, kChmPage, 42, 328, 32, 24, "下移"),
    C("按钮删除节点", K::kButton, kChmPage, 76, 328, 56, 24, "删除节点"),
    C("按钮删除子节点", K::kButton, kChmPage, 133, 328, 68, 24, "删除子节点"),
    C("按钮过滤", K::kButton, kChmPage, 202, 328, 38, 24, "过滤"),
    C("编辑框9", K::kEditBox, kChmPage, 472, 331, 80, 20, {}, false, true),
    C("时钟1", K::kTimer, kChmPage, 0, 0, 0, 0),
    C("拖放对象2", K::kDropTarget, kChmPage, 0, 0, 0, 0),
    // Outside the tab control, beyond the window's right edge.
    C("超文本浏览框1", K::kWebView, "", 896, 176, 144, 224),
};

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names) {
    if (n == name) return true;
  }
  return false;
}

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
      {"编辑框txt2htm", "单选框TXT2HTMa"},   {"编辑框编码转换路径", "单选框utf8gb2312"},
      {"编辑框路径改字符", "单选框量改后缀"}, {"编辑框21", "单选框TXT2HTMb"},
      {"编辑框精简网页", "单选框精简网页"},   {"编辑框1", ""},
  };
  return kBoxes;
}

bool IsMultiLine(std::string_view box) { return OneOf(box, {"编辑框11", "编辑框4", "编辑框10"}); }
bool HasHorizontalScrollBar(std::string_view box) { return box == "编辑框10"; }
bool HasDarkRedText(std::string_view box) { return OneOf(box, {"编辑框21", "编辑框txt2htm", "编辑框1"}); }
bool HasGreyBackground(std::string_view box) {
  const ControlInfo* c = FindControl(box);
  return c && c->kind == ControlKind::kEditBox && !OneOf(box, {"编辑框11", "编辑框9"});
}

}  // namespace qm
