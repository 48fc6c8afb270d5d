#include "ui/qt/app_icon.h"

// The icon's resources live in a static library, where the linker would drop their
// self-registration; naming the init function keeps them in.
static void initIconResources() {
    Q_INIT_RESOURCE(cirrowisp_icon);
}

namespace cirrowisp {

QIcon applicationIcon() {
    initIconResources();
    return QIcon(QStringLiteral(":/cirrowisp/icon"));
}

}  // namespace cirrowisp
