#pragma once
// Names of the CHM tab's controls, as the window names them.

#include <string_view>

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
inline constexpr std::string_view kBuildButton = "按钮建工程";
inline constexpr std::string_view kCompileButton = "按钮转CHM";

/// The preview timer's period while armed.
inline constexpr int kPreviewDelayMs = 1000;

}  // namespace qm::chm
