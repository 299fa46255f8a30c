#include "fuzz_check.h"

#include <cstdio>
#include <cstdlib>

namespace qm::fuzz {
namespace {

void PrintAndAbort(const std::string& message) {
  std::fprintf(stderr, "fuzz check failed: %s\n", message.c_str());
  std::abort();
}

FailureHandler g_handler = PrintAndAbort;

}  // namespace

FailureHandler SetFailureHandler(FailureHandler handler) {
  FailureHandler previous = g_handler;
  g_handler = handler ? handler : PrintAndAbort;
  return previous;
}

void Fail(const std::string& message) { g_handler(message); }

std::string Escaped(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out + "\"";
}

}  // namespace qm::fuzz
