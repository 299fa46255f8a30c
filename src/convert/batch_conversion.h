#pragma once
#include "convert/conversion_report.h"
#include "core/context.h"

namespace qm {

/// "批量转换": every text file of the folder in 编辑框txt2htm and of its
/// sub-folders becomes a framed page of the same base name with the new
/// extension, under the wait cursor; then "转换ok!" (or the list of files
/// left as they were), followed by a note when UTF-8 or UTF-16 texts were
/// converted (the undo gives them back as GBK texts), and the convert
/// button is disabled, the undo button enabled. Refuses, touching nothing, when the box names no folder or the
/// two extensions are equal without regard to ASCII case, or when either
/// holds a "/" (the page would land in another folder).
void BatchPageConversion(Context& ctx);

/// Converts the files of `folder` whose names match "*" + `old_extension`
/// into framed pages named base name + `new_extension`, writes leftbg.gif
/// into each folder that got a page and has none, then does the same for
/// every sub-folder whose name does not begin with "." (depth first, never
/// entering a folder that is already being walked). The whole tree is
/// listed first; its texts are then converted as one sequence in the walk's
/// order (on every core: StepFilesInOrder), and the report follows that
/// order. Each text is read in its own encoding (see DecodeTextFile) and its
/// page is GBK. A text file is deleted only after its page is completely
/// written; a file that cannot be read, whose page would replace an
/// existing file (another text of this run included), that holds a 0 byte
/// after decoding, or that is a link to a file outside `folder` gets no page
/// and stays in place. Returns what could not be done, and stores in
/// `recoded` (when given) how many pages came from UTF-8 or UTF-16 texts.
ConversionReport ConvertFolder(Context& ctx, const Text& folder, const Text& old_extension, const Text& new_extension,
                               long* recoded = nullptr);

/// "取 消": turns every ".htm" page of the folder in 编辑框txt2htm (not its
/// sub-folders) back into a ".txt" text file, then "取消转换ok!" (or the
/// list of pages left as they were). A page is deleted only after its text
/// file is completely written; a page whose text would replace an existing
/// file, that holds a 0 byte, or that is a link to a file outside the folder,
/// stays and is listed. Refuses when the box names no folder.
void UndoBatchConversion(Context& ctx);

}  // namespace qm
