#pragma once
// The one wrapper around the system's iconv converters.

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

/// A conversion descriptor from the character set `from` to `to` (names as
/// iconv knows them: "UTF-8", "CP936", "UTF-16LE"), closed on destruction.
class IconvConverter {
 public:
  IconvConverter(const char* to, const char* from);
  ~IconvConverter();
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  /// False when the system knows no such conversion; Run then converts
  /// nothing.
  bool valid() const;

  /// Converts `in` from its start, appending the result to `out`; stops at
  /// the first input that is invalid or has no form in the target, and
  /// returns how many input bytes were converted. Each call starts afresh.
  std::size_t Run(std::string_view in, std::string* out);

 private:
  void* cd_;
};

/// UTF-8 to code page 936, one descriptor per thread.
IconvConverter& GbkFromUtf8Converter();

/// Code page 936 to UTF-8, one descriptor per thread.
IconvConverter& Utf8FromGbkConverter();

}  // namespace qm
