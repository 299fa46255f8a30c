#pragma once
// Names of the web-pages tab's controls that the conversion and batch tools use.

#include <string_view>

namespace qm::controls {

// Paged book ("TXT2HTM(B)").
inline constexpr std::string_view kBookModeRadio = "单选框TXT2HTMb";
inline constexpr std::string_view kBookFolderBox = "编辑框21";
inline constexpr std::string_view kOrderListBox = "编辑框11";
inline constexpr std::string_view kWrapLinesBox = "选择框自动换行";
inline constexpr std::string_view kDecorateBox = "选择框自动加花";

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
