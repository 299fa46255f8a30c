// The compiler proper: project file in, .chm file out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lzx_section.h"
#include "status.h"

namespace hha {

struct CompileOptions {
  LzxSectionOptions compression;
};

struct CompileResult {
  Status status;
  std::string output_path;          // the .chm written (UTF-8 path)
  std::size_t files_stored = 0;     // book files, without bookkeeping streams
  std::size_t pages_converted = 0;  // pages stored in code page 936 rather than their own encoding
  std::size_t warnings = 0;
  std::uint64_t uncompressed_bytes = 0;
  std::uint64_t output_bytes = 0;
  std::vector<std::string> left_out;  // files the project names that are not in the book (shown form)
};

/// Compiles the project at project_path (a UTF-8 path) into the .chm its
/// "Compiled file=" names, relative to the project's folder. Every message
/// goes to sink. The .chm is first written under a temporary name beside
/// its final place and renamed only when complete, so a failed run leaves
/// an earlier .chm of the same name untouched.
CompileResult CompileProject(const std::string& project_path, const MessageSink& sink,
                             const CompileOptions& options = {});

}  // namespace hha
