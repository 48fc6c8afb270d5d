#include "patcher/patch_options.h"

#include "patcher/engine_types.h"

namespace cirrowisp {

bool PatchOptions::isEngineSelected(EngineType code) const {
    const std::size_t index = engineTypeIndex(code);
    return index == kEngineTypeCount || this->*kEngineTypes[index].field != 0;
}

}  // namespace cirrowisp
