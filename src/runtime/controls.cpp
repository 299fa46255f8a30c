#include "runtime/controls.h"

#include "runtime/encoding.h"

namespace qm {

Text DefaultMessageCaption() {
  static const Text caption = Gbk("信息：");
  return caption;
}

}  // namespace qm
