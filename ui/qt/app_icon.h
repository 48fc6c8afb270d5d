#pragma once

#include <QIcon>

namespace cirrowisp {

// The application icon, the same picture as the Windows program's icon group: a 32 x 32 and a
// 16 x 16 image.
QIcon applicationIcon();

}  // namespace cirrowisp
