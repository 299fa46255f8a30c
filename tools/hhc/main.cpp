// hhc.exe: the compiler front. Loads hha.dll from its own folder and hands
// it the project file; prints what the library reports.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "../progress_pipe.h"
#include "hha_api.h"

namespace {

// Folder of this program, from /proc/self/exe; empty when unknown.
std::string OwnFolder() {
  std::string buf(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  buf.resize(static_cast<std::size_t>(n));
  std::size_t slash = buf.rfind('/');
  return slash == std::string::npos ? std::string() : buf.substr(0, slash);
}

void PrintMessage(void*, int kind, const char* text) {
  if (kind == HHA_MESSAGE_PROGRESS) {
    // Between two files only the compiler's unnamed spool file exists, so
    // ending here leaves no partial book behind.
    if (progress_pipe::stop_requested.load()) std::_Exit(143);
    progress_pipe::WriteLine(text);
    return;
  }
  if (kind == HHA_MESSAGE_LEFT_OUT) {
    progress_pipe::ReportLeftOut(text);
    return;
  }
  if (kind == HHA_MESSAGE_INFO) {
    std::printf("%s\n", text);
    std::fflush(stdout);
  } else {
    std::fprintf(stderr, "%s: %s\n", kind == HHA_MESSAGE_WARNING ? "Warning" : "Error", text);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: hhc.exe PROJECT.hhp\n");
    return 2;
  }
  progress_pipe::CatchStopSignals();
  std::string folder = OwnFolder();
  if (folder.empty()) {
    std::fprintf(stderr, "Error: cannot find the folder of hhc.exe, so hha.dll cannot be loaded\n");
    return 4;
  }
  std::string library = folder + "/hha.dll";
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    std::fprintf(stderr, "Error: cannot load %s: %s\n", library.c_str(), why ? why : "unknown reason");
    return 4;
  }
  auto version = reinterpret_cast<HhaApiVersionFn>(::dlsym(handle, HHA_VERSION_SYMBOL));
  auto compile = reinterpret_cast<HhaCompileProjectFn>(::dlsym(handle, HHA_COMPILE_SYMBOL));
  if (!version || !compile || version() != HHA_API_VERSION) {
    std::fprintf(stderr, "Error: %s is not a compatible CHM authoring library\n", library.c_str());
    ::dlclose(handle);
    return 4;
  }
  int rc = compile(argv[1], &PrintMessage, nullptr);
  ::dlclose(handle);
  return rc == 0 ? 0 : 1;
}
