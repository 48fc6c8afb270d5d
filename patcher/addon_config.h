#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "patcher/byte_text.h"  // equalsIgnoringAsciiCase, for the names these files hold

namespace cirrowisp {

// The text of a configuration file as UTF-8, whatever the editor that saved it chose: a UTF-8
// byte order mark is dropped, and text with a UTF-16 mark (either byte order) is converted.
// Anything else is passed through as it is.
std::string configTextAsUtf8(std::string_view bytes);

// The folders of aircraft folders a simobjects.cfg loads: the Path= of every [Entry.N] that is
// not switched off with Active=False, in the order of N, as written (relative to the simulator
// folder, or absolute). Unlike the SimObjectPaths.N keys of the older configuration file, these
// are sections the simulator enumerates, so a gap in the numbering does not end the list.
std::vector<std::string> readSimObjectsEntries(std::string_view bytes);

// One [Package.N] of an add-ons.cfg: a package folder, and whether it is switched on.
struct AddOnPackage {
    std::string path;
    bool active = true;
};

// What one add-ons.cfg says: its packages, and the folders whose sub-folders holding an
// add-on.xml are packages too ([DiscoveryPath.N] that are not switched off). Both in the order
// of N; gaps allowed.
struct AddOnsList {
    std::vector<AddOnPackage> packages;
    std::vector<std::string> discoveryPaths;
};
AddOnsList readAddOnsList(std::string_view bytes);

// The character a byte of Windows-1252 stands for, the encoding add-on.xml files declare most
// often after UTF-8; it differs from ISO-8859-1 only in 0x80..0x9F (the five bytes the code page
// leaves out stand for themselves, as Windows maps them).
char32_t windows1252CodePoint(unsigned char byte);

// One <AddOn.Component> of a package's add-on.xml.
struct AddOnComponent {
    std::string category;  // "SimObjects", "Effects", ...
    std::string path;      // relative to the package folder unless absolute
};

}  // namespace cirrowisp
