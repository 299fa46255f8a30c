#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/tree_editing.h"

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

}  // namespace qm
