#include "chm/compile.h"
#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/tree_editing.h"
#include "chm/unpacking.h"

namespace qm {

void OnChmFolderDrop(Context&, const Text&) {}
void OnTreeSelectionChanged(Context&, int) {}
void OnNoOwnContentsToggled(Context&) {}
void RefreshProjectPreview(Context&) {}
void BuildContents(Context&) {}
void OnMoveUpClicked(Context&) {}
void OnMoveDownClicked(Context&) {}
void OnDeleteItemClicked(Context&) {}
void OnDeleteChildrenClicked(Context&) {}
void OnFilterClicked(Context&) {}
void CompileChm(Context&) {}
void ChmUnpacking(Context&) {}

}  // namespace qm
