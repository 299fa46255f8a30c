#include "html_text.h"

#include <cctype>
#include <cstdint>
#include <unordered_map>

#include "runtime/encoding.h"
#include "runtime/text.h"

namespace hha {
namespace {

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); }

// Case-blind comparison of the ASCII bytes at `at` with `lower`.
bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view lower) {
  if (text.size() - at < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i)
    if (qm::AsciiLowerByte(text[at + i]) != lower[i]) return false;
  return true;
}

// Where the case-blind `lower` is next found from `at`; npos when never.
std::size_t FindNoCase(std::string_view text, std::size_t at, std::string_view lower) {
  for (std::size_t i = at; i + lower.size() <= text.size(); ++i)
    if (qm::AsciiLowerByte(text[i]) == lower[0] && StartsWithNoCase(text, i, lower)) return i;
  return std::string_view::npos;
}

// The code page 936 form of `cp`; empty when it has none. Not inlined:
// GCC 12 then warns falsely of an overlapping copy in the string's move.
[[gnu::noinline]] std::string GbkOf(char32_t cp) {
  if (cp == 0xA0) return " ";
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {};
  std::string gbk = qm::GbkFromUtf8(qm::Utf8OfCodePoint(cp));
  if (gbk == "?" && cp != '?') return {};
  return gbk;
}

// The named references pages use most, and the Greek letters; others stay
// as written.
const std::unordered_map<std::string_view, char32_t>& NamedReferences() {
  static const std::unordered_map<std::string_view, char32_t> kNames = [] {
    std::unordered_map<std::string_view, char32_t> names = {
        {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
        {"nbsp", 0xA0},    {"copy", 0xA9},    {"reg", 0xAE},     {"deg", 0xB0},     {"plusmn", 0xB1},
        {"middot", 0xB7},  {"times", 0xD7},   {"divide", 0xF7},  {"ndash", 0x2013}, {"mdash", 0x2014},
        {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"hellip", 0x2026},
        {"bull", 0x2022},  {"trade", 0x2122}, {"larr", 0x2190},  {"rarr", 0x2192},  {"sect", 0xA7},
        {"laquo", 0xAB},   {"raquo", 0xBB},   {"euro", 0x20AC},  {"ensp", 0x2002},  {"emsp", 0x2003},
        {"sigmaf", 0x3C2},
    };
    // Code page 936 has the Greek letters: capitals from U+0391 and small
    // letters from U+03B1, with final sigma between rho and sigma.
    static constexpr std::string_view kCapitals[] = {
        "Alpha", "Beta", "Gamma",   "Delta", "Epsilon", "Zeta",  "Eta", "Theta",   "Iota", "Kappa", "Lambda", "Mu",
        "Nu",    "Xi",   "Omicron", "Pi",    "Rho",     "Sigma", "Tau", "Upsilon", "Phi",  "Chi",   "Psi",    "Omega"};
    static constexpr std::string_view kSmall[] = {
        "alpha", "beta", "gamma",   "delta", "epsilon", "zeta",  "eta", "theta",   "iota", "kappa", "lambda", "mu",
        "nu",    "xi",   "omicron", "pi",    "rho",     "sigma", "tau", "upsilon", "phi",  "chi",   "psi",    "omega"};
    for (std::size_t k = 0; k < 24; ++k) {
      const auto offset = static_cast<char32_t>(k + (k >= 17 ? 1 : 0));
      names.emplace(kCapitals[k], 0x391 + offset);
      names.emplace(kSmall[k], 0x3B1 + offset);
    }
    return names;
  }();
  return kNames;
}

// Which references WithReferencesDecoded replaces, and by what.
enum class References {
  kAll,          // every one this code knows; the others stay as written
  kNumericOnly,  // numeric ones to characters that are not markup or control characters
  kShown,        // as kAll, and a reference a reader shows as a character
                 // code page 936 lacks (or as one this code does not know)
                 // becomes a space: its spelling is not shown text
};

// `text` with the references replaced by their code page 936 characters
// ("&#160;" and "&nbsp;" by a space), as `which` says.
std::string WithReferencesDecoded(std::string_view text, References which);

}  // namespace

char32_t ReferenceAt(std::string_view text, std::size_t at, std::size_t* size) {
  std::size_t end = text.find(';', at + 1);
  if (end == std::string_view::npos || end - at > 12 || end == at + 1) return 0;
  std::string_view body = text.substr(at + 1, end - at - 1);
  *size = end - at + 1;
  if (body[0] != '#') {
    auto it = NamedReferences().find(body);
    return it == NamedReferences().end() ? 0 : it->second;
  }
  bool hex = body.size() > 1 && (body[1] | 0x20) == 'x';
  std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 7) return 0;
  char32_t value = 0;
  for (char c : digits) {
    int d = c >= '0' && c <= '9' ? c - '0' : hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1;
    if (d < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
  }
  return value <= 0x10FFFF ? value : 0;
}

std::string DecodeReferences(std::string_view text) { return WithReferencesDecoded(text, References::kAll); }

std::string PageTitle(std::string_view html) {
  std::size_t open = FindNoCase(html, 0, "<title");
  if (open == std::string_view::npos) return {};
  std::size_t start = html.find('>', open);
  if (start == std::string_view::npos) return {};
  std::size_t end = FindNoCase(html, start, "</title");
  if (end == std::string_view::npos) return {};
  std::string decoded = DecodeReferences(html.substr(start + 1, end - start - 1));
  std::string title;
  for (std::size_t i = 0; i < decoded.size();) {
    std::size_t width = qm::CharWidthAt(decoded, i);
    char c = decoded[i];
    if (width == 1 && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
      if (!title.empty() && title.back() != ' ') title += ' ';
    } else {
      title.append(decoded, i, width);
    }
    i += width;
  }
  if (!title.empty() && title.back() == ' ') title.pop_back();
  return title;
}

void ForEachTextRun(std::string_view html, const std::function<void(std::string_view)>& run) {
  std::size_t i = 0;
  while (i < html.size()) {
    std::size_t tag = html.find('<', i);
    std::size_t text_end = tag == std::string_view::npos ? html.size() : tag;
    if (text_end > i) {
      std::string_view piece = html.substr(i, text_end - i);
      if (piece.find('&') == std::string_view::npos) run(piece);
      else run(WithReferencesDecoded(piece, References::kShown));
    }
    if (tag == std::string_view::npos) break;
    if (html.compare(tag, 4, "<!--") == 0) {
      std::size_t end = html.find("-->", tag + 4);
      i = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    std::size_t close = html.find('>', tag);
    if (close == std::string_view::npos) break;
    i = close + 1;
    // Elements whose content is not shown text.
    for (std::string_view element : {"script", "style", "title"}) {
      if (StartsWithNoCase(html, tag + 1, element) &&
          (tag + 1 + element.size() >= html.size() || !IsAsciiAlnum(html[tag + 1 + element.size()]))) {
        std::size_t end = FindNoCase(html, i, "</" + std::string(element));
        std::size_t after = end == std::string_view::npos ? std::string_view::npos : html.find('>', end);
        i = after == std::string_view::npos ? html.size() : after + 1;
        break;
      }
    }
  }
}

std::string WithCharactersForReferences(std::string_view text) {
  return WithReferencesDecoded(text, References::kNumericOnly);
}

namespace {

// The length of the reference-shaped text at `at` ("&#" and digits, "&#x"
// and hex digits, or "&" and a letter then letters and digits, and ";"),
// however long; 0 when there is none.
std::size_t ReferenceShapeAt(std::string_view text, std::size_t at) {
  std::size_t i = at + 1;
  auto digits = [&](bool hex) {
    const std::size_t start = i;
    for (; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (!(hex ? std::isxdigit(c) : std::isdigit(c))) break;
    }
    return i > start;
  };
  if (i < text.size() && text[i] == '#') {
    ++i;
    const bool hex = i < text.size() && (text[i] | 0x20) == 'x';
    if (hex) ++i;
    if (!digits(hex)) return 0;
  } else {
    if (i >= text.size() || !std::isalpha(static_cast<unsigned char>(text[i]))) return 0;
    while (i < text.size() && IsAsciiAlnum(text[i])) ++i;
  }
  return i < text.size() && text[i] == ';' ? i + 1 - at : 0;
}

std::string WithReferencesDecoded(std::string_view text, References which) {
  const bool numeric_only = which == References::kNumericOnly;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t width = text[i] == '&' ? 1 : qm::CharWidthAt(text, i);
    std::size_t size = 0;
    char32_t cp = text[i] == '&' && (!numeric_only || (i + 1 < text.size() && text[i + 1] == '#'))
                      ? ReferenceAt(text, i, &size)
                      : 0;
    const bool markup = cp == '<' || cp == '>' || cp == '&' || cp == '"' || cp == '\'' || cp < 0x20 || cp == 0x7F;
    std::string form = cp && !(numeric_only && markup) ? GbkOf(cp) : std::string();
    if (!form.empty()) {
      out += form;
      i += size;
    } else if (const std::size_t shape = which == References::kShown && text[i] == '&' ? ReferenceShapeAt(text, i) : 0;
               shape > 0) {
      out += ' ';
      i += shape;
    } else {
      out.append(text.substr(i, width));
      i += width;
    }
  }
  return out;
}

}  // namespace

}  // namespace hha
