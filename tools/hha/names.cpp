#include "names.h"

#include "runtime/encoding.h"

namespace hha {

std::string NameFromProject(std::string_view gbk) { return qm::NativeName(gbk); }

namespace {

// `gbk` with every name escape written as the percent-encoded UTF-8 bytes of
// its character, and every character of `encoded` (always holding "%")
// percent-encoded too ("%" as "%25"), so that the value stays code page 936
// text and a reader that takes it as a URL gets the stored name back.
std::string WithPercentEncodedEscapes(std::string_view gbk, std::string_view encoded) {
  static const char kHex[] = "0123456789ABCDEF";
  auto percent = [](std::string& out, unsigned char b) {
    out += '%';
    out += kHex[b >> 4];
    out += kHex[b & 15];
  };
  std::string out;
  out.reserve(gbk.size() * 2);
  for (std::size_t i = 0; i < gbk.size();) {
    if (static_cast<unsigned char>(gbk[i]) == 0xFF) {
      std::string_view native;
      i += qm::NameEscapeAt(gbk, i, &native);
      for (char b : native) percent(out, static_cast<unsigned char>(b));
      continue;
    }
    std::size_t width = qm::CharWidthAt(gbk, i);
    if (encoded.find(gbk[i]) != std::string_view::npos) percent(out, static_cast<unsigned char>(gbk[i]));
    else out.append(gbk.substr(i, width));
    i += width;
  }
  return out;
}

}  // namespace

std::string LocalForReaders(std::string_view gbk, bool names_stored_file, bool whole_name) {
  std::string value(gbk);
  std::string native;
  // "?" and "#" of a whole stored name are part of the name, not a query
  // or fragment.
  const std::string_view encoded = whole_name ? "%\"?#" : "%\"";
  if (qm::HasNameEscape(value)) native = qm::NativeName(value);
  if (!native.empty() && !qm::IsValidUtf8(native) && !qm::BookNameOfNativeName(native).empty()) value = native;
  else if (!native.empty() || (names_stored_file && value.find_first_of(encoded) != std::string::npos))
    value = WithPercentEncodedEscapes(value, encoded);
  for (std::size_t i = 0; i < value.size(); i += qm::CharWidthAt(value, i))
    if (value[i] == '\\') value[i] = '/';
  // The value goes back between quotes.
  return qm::QuotedAttributeText(value);
}

std::string LinkToStoredName(std::string_view stored) {
  // Besides "%", quotes, "?" and "#", the characters a URL parser drops or
  // a refresh's quote rule would take: spaces and control characters.
  static const std::string kEncoded = [] {
    std::string encoded = "%\"?#'";
    for (char c = 1; c <= ' '; ++c) encoded += c;
    return encoded + '\x7F';
  }();
  return WithPercentEncodedEscapes(qm::TextFromNativeName(stored), kEncoded);
}

std::string ReaderText(std::string_view gbk) {
  if (!qm::HasNameEscape(gbk)) return std::string(gbk);
  return qm::GbkFromUtf8(qm::NativeName(gbk));
}

}  // namespace hha
