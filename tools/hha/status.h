// Small result types and the message channel of the compiler.
#pragma once

#include <functional>
#include <string>

namespace hha {

/// Outcome of an operation that can fail: ok, or a message saying why not.
struct Status {
  bool ok = true;
  std::string message;

  static Status Ok() { return {}; }
  static Status Fail(std::string why) { return {false, std::move(why)}; }
};

/// Progress messages read "DONE TOTAL NAME": DONE files of TOTAL are stored
/// and NAME is the next one.
enum class Severity { Info, Warning, Error, Progress };

/// Receives every message of a compile run (UTF-8 text).
using MessageSink = std::function<void(Severity, const std::string&)>;

}  // namespace hha
