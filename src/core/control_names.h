#pragma once
// The names of the window's controls that code refers to, one constant per
// control. The window layout table (window_layout.cpp) names its controls
// with these constants, so a name is written once.

#include <string_view>

namespace qm::controls {

// The tab control and its two drop areas.
inline constexpr std::string_view kTabControl = "选择夹1";
inline constexpr std::string_view kWebDropArea = "拖放对象1";
inline constexpr std::string_view kChmDropArea = "拖放对象2";
inline constexpr std::string_view kGuideLink = "超级链接框1";

// Paged book ("TXT2HTM(B)").
inline constexpr std::string_view kBookModeRadio = "单选框TXT2HTMb";
inline constexpr std::string_view kBookFolderBox = "编辑框21";
inline constexpr std::string_view kOrderListBox = "编辑框11";
inline constexpr std::string_view kWrapLinesBox = "选择框自动换行";
inline constexpr std::string_view kDecorateBox = "选择框自动加花";
inline constexpr std::string_view kBookConvertButton = "按钮转网页";
inline constexpr std::string_view kNaturalOrderBox = "选择框自然排序";
inline constexpr std::string_view kHeaderBox = "编辑框页眉";
inline constexpr std::string_view kNoticeBox = "编辑框声明";

// Chapter splitter.
inline constexpr std::string_view kSplitModeRadio = "单选框分章节";
inline constexpr std::string_view kSplitPathBox = "编辑框分章路径";
inline constexpr std::string_view kChapterRuleBox = "编辑框分章规则";
inline constexpr std::string_view kSplitButton = "按钮分章节";

// Page simplifier.
inline constexpr std::string_view kSimplifyModeRadio = "单选框精简网页";
inline constexpr std::string_view kSimplifyFolderBox = "编辑框精简网页";
inline constexpr std::string_view kSimplifyButton = "按钮精简网页";
inline constexpr std::string_view kSimplifySuffixBox = "编辑框后缀";
inline constexpr std::string_view kFrontMarkerBox = "编辑框前标记";
inline constexpr std::string_view kBackMarkerBox = "编辑框后标记";

// UTF-8 to GB2312 re-encoding.
inline constexpr std::string_view kReencodeModeRadio = "单选框utf8gb2312";
inline constexpr std::string_view kReencodeFolderBox = "编辑框编码转换路径";
inline constexpr std::string_view kReencodeButton = "按钮编码转换";
inline constexpr std::string_view kReencodeSuffixBox = "编辑框编码后缀";

// File-name replacement.
inline constexpr std::string_view kRenameModeRadio = "单选框量改后缀";
inline constexpr std::string_view kRenameFolderBox = "编辑框路径改字符";
inline constexpr std::string_view kRenameButton = "按钮量改字符";
inline constexpr std::string_view kOldNameTextBox = "编辑框原字符";
inline constexpr std::string_view kNewNameTextBox = "编辑框新字符";

// Batch conversion ("TXT2HTM(A)").
inline constexpr std::string_view kBatchModeRadio = "单选框TXT2HTMa";
inline constexpr std::string_view kBatchFolderBox = "编辑框txt2htm";
inline constexpr std::string_view kOldExtensionBox = "编辑框原类型";
inline constexpr std::string_view kNewExtensionBox = "编辑框新类型";
inline constexpr std::string_view kBatchConvertButton = "按钮批量转换";
inline constexpr std::string_view kBatchUndoButton = "按钮取消转换";

}  // namespace qm::controls

// The CHM tab.
namespace qm::chm {

inline constexpr std::string_view kFolderBox = "编辑框1";
inline constexpr std::string_view kTree = "树型框1";
inline constexpr std::string_view kHomePageBox = "编辑框9";
inline constexpr std::string_view kContentsBox = "编辑框10";
inline constexpr std::string_view kProjectBox = "编辑框4";
inline constexpr std::string_view kPreviewTimer = "时钟1";
inline constexpr std::string_view kUnpackButton = "按钮CHM解包";
inline constexpr std::string_view kNoOwnContentsBox = "选择框不建目录";
inline constexpr std::string_view kPageTitleBox = "选择框网页标题";
inline constexpr std::string_view kFullTextSearchBox = "选择框全文搜索";
inline constexpr std::string_view kBuildButton = "按钮建工程";
inline constexpr std::string_view kCompileButton = "按钮转CHM";
inline constexpr std::string_view kMoveUpButton = "按钮上移";
inline constexpr std::string_view kMoveDownButton = "按钮下移";
inline constexpr std::string_view kDeleteItemButton = "按钮删除节点";
inline constexpr std::string_view kDeleteChildrenButton = "按钮删除子节点";
inline constexpr std::string_view kFilterButton = "按钮过滤";
inline constexpr std::string_view kUndoButton = "按钮撤销";
inline constexpr std::string_view kOpenBookButton = "按钮打开书";
inline constexpr std::string_view kOpenFolderButton = "按钮打开文件夹";

/// The preview timer's period while armed.
inline constexpr int kPreviewDelayMs = 1000;

}  // namespace qm::chm
