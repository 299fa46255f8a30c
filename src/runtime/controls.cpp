#include "runtime/controls.h"

#include "runtime/encoding.h"

namespace qm {

Text DefaultMessageCaption() {
  static const Text kCaption = Gbk("信息：");
  return kCaption;
}

}  // namespace qm
