#include "patcher/registry.h"

namespace cirrowisp {

std::optional<std::string> Registry::roamingAppData() {
    auto data = queryValue(RegistryRoot::currentUser, RegistryView::bits64,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                           "AppData", 1024);
    if (data) {
        data->resize(data->find('\0') == std::string::npos ? data->size() : data->find('\0'));
    }
    return data;
}

}  // namespace cirrowisp
