#pragma once

// The words, names and plain sections generated aircraft.cfg files are made of.
#include <string>
#include <vector>

namespace cirrowisp::bench {

// Plain sections: a fixed list of keys whose values are one to five numbers.
struct PlainSection {
    const char* name;
    std::vector<const char*> keys;
};

extern const std::vector<std::string> kMakers;
extern const std::vector<std::string> kTypes;
extern const std::vector<std::string> kAirlines;
extern const std::vector<std::string> kCreators;
extern const std::vector<std::string> kWords;
extern const std::vector<std::string> kEffects;
extern const std::vector<PlainSection> kPlainSections;

}  // namespace cirrowisp::bench
