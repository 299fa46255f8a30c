// Fuzz entry: the runtime's text operations against the reference model.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_entries.h"
#include "runtime/text.h"
#include "text_reference.h"

namespace qm::fuzz {
namespace {

// The parts of one input. Positions and counts are signed bytes so that
// 0, negative values and values past the end all occur.
struct TextCase {
  std::string text, sub, replacement;
  long start = 1;   // FindText / ReplaceSubtext start, FindTextBackwards limit
  long count = -1;  // ReplaceSubtext count
  long max = -1;    // SplitText maximum count
};

constexpr std::size_t kHeader = 7;

TextCase Decode(const std::uint8_t* data, std::size_t size) {
  std::uint8_t h[kHeader] = {};
  for (std::size_t k = 0; k < kHeader && k < size; ++k) h[k] = data[k];
  std::size_t at = size < kHeader ? size : kHeader;
  auto take = [&](std::size_t n) {
    n = std::min(n, size - at);
    std::string part(reinterpret_cast<const char*>(data + at), n);
    at += n;
    return part;
  };
  TextCase c;
  c.start = static_cast<std::int8_t>(h[1]);
  c.count = static_cast<std::int8_t>(h[2]);
  c.max = static_cast<std::int8_t>(h[3]);
  const bool sub_from_text = h[0] & 1;
  c.sub = sub_from_text ? std::string() : take(h[4] % 16);
  c.replacement = take(h[5] % 16);
  c.text = take(size - at);
  // A sub cut out of the text at any byte, so that it may begin on the
  // second byte of a character: the case the two-byte rule is about.
  if (sub_from_text && !c.text.empty()) c.sub = c.text.substr(h[6] % c.text.size(), 1 + h[4] % 8);
  return c;
}

std::string Describe(const TextCase& c) {
  return "text " + Escaped(c.text) + " sub " + Escaped(c.sub) + " replacement " + Escaped(c.replacement) + " start " +
         std::to_string(c.start) + " count " + std::to_string(c.count) + " max " + std::to_string(c.max);
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string out = "[";
  for (const std::string& p : pieces) out += Escaped(p) + " ";
  return out + "]";
}

void CheckFinds(const TextCase& c) {
  for (bool ignore_case : {false, true}) {
    const std::string mode = ignore_case ? " (ignoring case)" : "";
    long got = FindText(c.text, c.sub, c.start, ignore_case);
    long want = reference::FindText(c.text, c.sub, c.start, ignore_case);
    Check(got == want, "FindText" + mode + " gave " + std::to_string(got) + ", the model " + std::to_string(want) +
                           ": " + Describe(c));
    got = FindTextBackwards(c.text, c.sub, c.start, ignore_case);
    want = reference::FindTextBackwards(c.text, c.sub, c.start, ignore_case);
    Check(got == want, "FindTextBackwards" + mode + " gave " + std::to_string(got) + ", the model " +
                           std::to_string(want) + ": " + Describe(c));
  }
}

void CheckReplace(const TextCase& c) {
  for (bool case_sensitive : {true, false}) {
    const std::string got = ReplaceSubtext(c.text, c.sub, c.replacement, c.start, c.count, case_sensitive);
    const std::string want = reference::ReplaceSubtext(c.text, c.sub, c.replacement, c.start, c.count, case_sensitive);
    Check(got == want, std::string("ReplaceSubtext") + (case_sensitive ? "" : " (ignoring case)") + " gave " +
                           Escaped(got) + ", the model " + Escaped(want) + ": " + Describe(c));
  }
  // Replacing a sub by itself changes nothing.
  const std::string same = ReplaceSubtext(c.text, c.sub, c.sub, c.start, c.count, true);
  Check(same == c.text, "ReplaceSubtext of a sub by itself changed the text to " + Escaped(same) + ": " + Describe(c));
}

void CheckSplitAndTrim(const TextCase& c) {
  const std::vector<std::string> got = SplitText(c.text, c.sub, c.max);
  const std::vector<std::string> want = reference::SplitText(c.text, c.sub, c.max);
  Check(got == want, "SplitText gave " + Joined(got) + ", the model " + Joined(want) + ": " + Describe(c));
  for (const std::string* t : {&c.text, &c.sub}) {
    const std::string trimmed = TrimTrailingSpaces(*t);
    const std::string model = reference::TrimTrailingSpaces(*t);
    Check(trimmed == model,
          "TrimTrailingSpaces of " + Escaped(*t) + " gave " + Escaped(trimmed) + ", the model " + Escaped(model));
  }
}

}  // namespace

int FuzzTextOperations(const std::uint8_t* data, std::size_t size) {
  const TextCase c = Decode(data, size);
  CheckFinds(c);
  CheckReplace(c);
  CheckSplitAndTrim(c);
  return 0;
}

}  // namespace qm::fuzz
