#pragma once
// The application's icon, drawn: the same picture as resources/desktop/quillary.svg,
// with no image plug-in needed. The build renders the installed PNG sizes from it.

#include <QImage>
#include <QPixmap>

namespace quillary::gui {

QImage applicationIconImage(int size);
inline QPixmap applicationIcon(int size) { return QPixmap::fromImage(applicationIconImage(size)); }

}  // namespace quillary::gui
