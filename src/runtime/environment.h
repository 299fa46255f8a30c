#pragma once
// Environment variables and the stand-in for the registry's shell folders.

#include <string_view>

#include "runtime/text.h"

namespace qm {

/// The variable's value as a Text, or the empty text when it is unset.
Text ReadEnvironmentVariable(std::string_view name);

/// The registry key that holds the user's shell folders.
inline constexpr std::string_view kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

/// The root key HKEY_CURRENT_USER.
inline constexpr long kCurrentUserRoot = 0x80000001L;

/// Reads a text value of the registry. There is no registry here: the shell
/// folders of the current user are answered from the XDG user directories
/// (~/.config/user-dirs.dirs and the XDG_* variables); a folder without a
/// Linux counterpart gets a folder under the user's data directory. Any
/// other key or value gives the empty text.
Text ReadRegistryText(long root, std::string_view key_path, std::string_view value_name);

}  // namespace qm
