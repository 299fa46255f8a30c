// libFuzzer driver: hands each input to the entry function named by
// QM_FUZZ_ENTRY (set per target in CMakeLists.txt).
#include <cstddef>
#include <cstdint>

#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return qm::fuzz::QM_FUZZ_ENTRY(data, size);
}
