#pragma once
// The tree box's image list: two 16 x 16 pictures drawn in code.

#include <QPixmap>

namespace qm {

/// Picture 0, a closed book (folder nodes); picture 1, a page of text
/// (document nodes). Any other number gives a null pixmap.
QPixmap TreePicture(int number);

}  // namespace qm
