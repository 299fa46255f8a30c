#pragma once
#include "core/context.h"

namespace qm {

// The buttons under the document tree.
void OnMoveUpClicked(Context& ctx);          // "上移"
void OnMoveDownClicked(Context& ctx);        // "下移"
void OnDeleteItemClicked(Context& ctx);      // "删除节点"
void OnDeleteChildrenClicked(Context& ctx);  // "删除子节点"
void OnFilterClicked(Context& ctx);          // "过滤"

}  // namespace qm
