// hh.exe -decompile FOLDER FILE.chm: unpacks a CHM book into a folder.
// Exit status: 0 when every stored file was written, 1 when the book could
// not be read or some entries were refused or failed, 2 for a bad command line.
#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include "../progress_pipe.h"
#include "chm_unpacker.h"
#include "command_line.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const hh::ParseResult parsed = hh::ParseCommandLine(args, hh::IsRegularFile);
  if (!parsed.ok) {
    std::cerr << "hh.exe: " << parsed.message << '\n' << hh::UsageText() << '\n';
    return 2;
  }

  progress_pipe::CatchStopSignals();
  std::atomic<std::size_t> started{0};
  std::atomic<std::size_t> total{0};
  hh::UnpackOptions options;
  options.before_file = [&](std::size_t files, const std::string& name) {
    if (progress_pipe::stop_requested.load()) return false;
    total = files;
    progress_pipe::Report(started++, files, name);
    return true;
  };
  const hh::UnpackReport report = hh::UnpackChm(parsed.request.chm_file, parsed.request.folder, std::cerr, options);
  // The program that started the unpacker lists these in its message.
  for (const std::string& note : report.notes) progress_pipe::ReportLeftOut(note);
  if (progress_pipe::stop_requested.load()) {
    progress_pipe::Report(report.written, total.load(), {});
    std::cerr << "hh.exe: stopped; " << report.written << " files written, the rest not\n";
    return 1;
  }
  if (!report.error.empty()) {
    std::cerr << "hh.exe: " << report.error << '\n';
    return 1;
  }
  if (report.complete()) return 0;
  std::cerr << "hh.exe: " << report.written << " files written, " << report.refused << " refused, " << report.failed
            << " failed";
  if (report.damaged) std::cerr << "; the book's directory is damaged, files may be missing";
  std::cerr << '\n';
  return 1;
}
