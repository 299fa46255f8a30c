// The exported entry points of hha.dll.
#include "hha_api.h"

#include <exception>

#include "compiler.h"

extern "C" __attribute__((visibility("default"))) int HhaApiVersion(void) { return HHA_API_VERSION; }

extern "C" __attribute__((visibility("default"))) int HhaCompileProject(const char* project_path, HhaMessageSink sink,
                                                                        void* context) {
  auto send = [&](int kind, const std::string& text) {
    if (sink) sink(context, kind, text.c_str());
  };
  if (!project_path || !*project_path) {
    send(HHA_MESSAGE_ERROR, "no project file given");
    return 2;
  }
  // No exception may cross into the C caller.
  try {
    hha::CompileResult r = hha::CompileProject(project_path, [&](hha::Severity s, const std::string& text) {
      switch (s) {
        case hha::Severity::Info: return send(HHA_MESSAGE_INFO, text);
        case hha::Severity::Warning: return send(HHA_MESSAGE_WARNING, text);
        case hha::Severity::Error: return send(HHA_MESSAGE_ERROR, text);
        case hha::Severity::Progress: return send(HHA_MESSAGE_PROGRESS, text);
      }
    });
    if (!r.status.ok) return 1;
    for (const std::string& name : r.left_out) send(HHA_MESSAGE_LEFT_OUT, name);
    return 0;
  } catch (const std::exception& e) {
    send(HHA_MESSAGE_ERROR, std::string("internal error: ") + e.what());
  } catch (...) {
    send(HHA_MESSAGE_ERROR, "internal error");
  }
  return 3;
}
