#include "patcher/patch_options.h"

namespace cirrowisp {

bool PatchOptions::isEngineSelected(EngineType code) const {
    switch (code) {
        case kEnginePiston: return enginePiston != 0;
        case kEngineJet: return engineJet != 0;
        case kEngineNone: return engineNone != 0;
        case kEngineHeloTurbine: return engineHeloTurbine != 0;
        case kEngineRocket: return engineRocket != 0;
        case kEngineTurboprop: return engineTurboprop != 0;
        default: return true;
    }
}

}  // namespace cirrowisp
