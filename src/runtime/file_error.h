#pragma once
// Why a file system call failed, and how the program says it in Chinese.

#include "runtime/text.h"

namespace qm {

/// The reason of a failed file system call: an errno code (ENOSPC, EACCES,
/// ...); 0 when no failure has been recorded.
struct FileError {
  int code = 0;

  /// The reason in Chinese (GBK), for example "磁盘已满"; empty for code 0.
  Text Reason() const;
};

/// Not an errno: the file changed after it was read, so it was kept.
inline constexpr int kChangedSinceRead = -1;

/// Not an errno: a new name that cannot name a file of its folder (empty,
/// "." or "..", or holding a separator).
inline constexpr int kUnusableName = -2;

/// Not an errno: the new file that was to replace the original is no
/// longer there as it was written, so the original was kept.
inline constexpr int kCopyChanged = -3;

/// The Chinese (GBK) text for the errno `code`: one text per reason a user
/// can act on, and a general text with the number for the rest.
Text FileErrorText(int code);

/// `message` with the reason appended in full-width parentheses, as in
/// "无法写入工程文件：PATH（磁盘已满）"; `message` alone when no reason is known.
Text WithReason(const Text& message, FileError error);

}  // namespace qm
