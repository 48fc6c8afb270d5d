#pragma once

#include <stdexcept>
#include <string_view>
#include <vector>

#include "patcher/addon_config.h"

namespace cirrowisp {

// An add-on.xml that is not well-formed XML: the parser's reason and the line it stopped on.
class AddOnXmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The <AddOn.Component> elements of a package's add-on.xml, in file order, read by the host's
// XML parser (expat on Linux, XmlLite on Windows) so that entities, CDATA, comments and a
// declared encoding (UTF-8, UTF-16, ISO-8859-1, Windows-1252) come out as the simulator sees
// them. Element names in any letter case; a component without a path is left out. Throws
// AddOnXmlError.
std::vector<AddOnComponent> readAddOnXml(std::string_view bytes);

}  // namespace cirrowisp
