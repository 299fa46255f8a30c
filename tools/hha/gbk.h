// Code page 936 (GBK) <-> UTF-8 conversion through glibc iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hha {

/// Converts GBK bytes to UTF-8. Pure ASCII passes through unchanged.
/// Returns nullopt when the bytes are not valid GBK.
std::optional<std::string> GbkToUtf8(std::string_view gbk);

/// Converts UTF-8 text to GBK. Returns nullopt when the text is not valid
/// UTF-8 or holds a character that GBK cannot represent.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

}  // namespace hha
