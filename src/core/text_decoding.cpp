#include "core/text_decoding.h"

#include "core/utf8_to_gbk.h"
#include "runtime/encoding.h"
#include "runtime/text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace qm {
namespace {

// The UTF-16 code units of `data` (a trailing odd byte left out), as
// little-endian units.
ByteSet Utf16Units(std::string_view data, bool big_endian) {
  std::string units(data.substr(0, data.size() & ~std::size_t{1}));
  if (big_endian) {
    for (std::size_t k = 0; k + 1 < units.size(); k += 2) std::swap(units[k], units[k + 1]);
  }
  return ByteSet(std::move(units));
}

}  // namespace

TextDecoder::TextDecoder(TextEncoding encoding) : encoding_(encoding) {
  mark_left_ = encoding == TextEncoding::kUtf8Marked                                      ? 3
               : encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be ? 2
                                                                                          : 0;
}

std::string_view TextDecoder::Add(std::string_view piece, std::string* buffer) {
  if (encoding_ == TextEncoding::kGbk) return piece;
  std::size_t skip = std::min(mark_left_, piece.size());
  mark_left_ -= skip;
  piece.remove_prefix(skip);
  if (held_.empty()) return Convert(piece, false, buffer);
  joined_.assign(held_);
  joined_.append(piece);
  return Convert(joined_, false, buffer);
}

std::string_view TextDecoder::Finish(std::string* buffer) {
  if (encoding_ == TextEncoding::kGbk) return {};
  joined_.swap(held_);
  held_.clear();
  dropped_odd_byte_ =
      (encoding_ == TextEncoding::kUtf16Le || encoding_ == TextEncoding::kUtf16Be) && joined_.size() % 2;
  return Convert(joined_, true, buffer);
}

// Converts `data` up to a place where it may be cut without changing its
// conversion (all of it when `last`) and holds the rest: in UTF-8 before a
// byte that neither continues a sequence nor begins a combining mark
// (U+0300 to U+036F begin with 0xCC or 0xCD); in UTF-16 before a unit that
// is neither a low surrogate nor a combining mark.
std::string_view TextDecoder::Convert(std::string_view data, bool last, std::string* buffer) {
  const bool utf16 = encoding_ == TextEncoding::kUtf16Le || encoding_ == TextEncoding::kUtf16Be;
  const bool big_endian = encoding_ == TextEncoding::kUtf16Be;
  auto byte = [&data](std::size_t k) { return static_cast<unsigned char>(data[k]); };
  std::size_t cut = data.size();
  if (!last) {
    cut = 0;
    if (utf16) {
      for (std::size_t at = (data.size() & ~std::size_t{1}); at >= 2;) {
        at -= 2;
        if (at == 0) break;
        auto unit = static_cast<char16_t>(big_endian ? byte(at) << 8 | byte(at + 1) : byte(at + 1) << 8 | byte(at));
        if (!(unit >= 0xDC00 && unit <= 0xDFFF) && !(unit >= 0x0300 && unit <= 0x036F)) {
          cut = at;
          break;
        }
      }
    } else {
      for (std::size_t k = data.size(); k-- > 1;) {
        unsigned char b = byte(k);
        if (b < 0x80 || (b >= 0xC0 && b != 0xCC && b != 0xCD)) {
          cut = k;
          break;
        }
      }
    }
  }
  std::string_view now = data.substr(0, cut);
  if (utf16) *buffer = GbkTextFromUtf16(Utf16Units(now, big_endian), GbkUnmapped::kCharacterReference);
  else *buffer = GbkPageTextFromUtf8(now);
  held_.assign(data.substr(cut));
  return *buffer;
}

namespace {

// `data` taken as written in `encoding`, in code page 936.
DecodedText DecodedAs(ByteSet data, TextEncoding encoding) {
  DecodedText text;
  text.encoding = encoding;
  if (encoding == TextEncoding::kGbk) {
    text.gbk = std::move(data);
    return text;
  }
  TextDecoder decoder(encoding);
  std::string buffer;
  text.gbk.bytes.assign(decoder.Add(data.View(), &buffer));
  text.gbk.bytes.append(decoder.Finish(&buffer));
  text.dropped_odd_byte = decoder.dropped_odd_byte();
  return text;
}

}  // namespace

DecodedText DecodeTextFile(ByteSet data) {
  const TextEncoding encoding = DetectTextEncoding(data.View());
  return DecodedAs(std::move(data), encoding);
}

}  // namespace qm
