#pragma once
// After a successful compile or unpack the user can open the result: the
// book in the desktop's viewer, its folder in the file manager (xdg-open).

#include "core/context.h"

namespace qm {

/// A compile wrote `book` (or an unpack, with `book` empty, wrote pages)
/// into `folder`: "打开书" and "打开文件夹" open them from now on.
void OfferFinishedBook(Context& ctx, const Text& book, const Text& folder);

/// "打开书": the book of the last successful compile, with xdg-open; a
/// message says when there is none yet.
void OnOpenBookClicked(Context& ctx);

/// "打开文件夹": the folder of the last compiled book or unpacked pages.
void OnOpenFolderClicked(Context& ctx);

}  // namespace qm
