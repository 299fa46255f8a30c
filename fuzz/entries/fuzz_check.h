// How a fuzz entry reports a broken expectation. Under libFuzzer the
// default handler prints the message and aborts, which libFuzzer records as
// a crash with its input; the replay test installs a handler that collects
// the messages instead, so one bad file does not end the test program.
#pragma once

#include <string>

namespace qm::fuzz {

using FailureHandler = void (*)(const std::string& message);

/// Installs `handler` (null restores the default: print and abort) and
/// returns the previous one.
FailureHandler SetFailureHandler(FailureHandler handler);

/// Reports a broken expectation to the installed handler.
void Fail(const std::string& message);

/// Reports `message` when `condition` is false; returns `condition`.
inline bool Check(bool condition, const std::string& message) {
  if (!condition) Fail(message);
  return condition;
}

/// Bytes as a C-style escaped string, for messages.
std::string Escaped(const std::string& bytes);

}  // namespace qm::fuzz
