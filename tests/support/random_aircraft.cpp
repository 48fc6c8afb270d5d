#include "tests/support/random_aircraft.h"

#include <array>
#include <cstdint>
#include <string>

#include "patcher/aircraft_update.h"
#include "tests/support/samples.h"

namespace cirrowisp {

namespace {

std::string number(Draw& draw) {
    static constexpr std::array<const char*, 12> kShapes = {
        "1", "-27", "-27.0", "0", "5 ; turboprop", "1.9", "-40", "9", " -3", "abc", "1e400", "-0"};
    return draw.pick(kShapes);
}

std::string randomText(Draw& draw) {
    std::string text;
    const std::uint32_t length = draw.below(12);
    for (std::uint32_t i = 0; i < length; ++i) {
        // Mostly printable, now and then a control or high byte (never LF or Ctrl-Z here).
        char c = static_cast<char>(' ' + draw.below(95));
        if (draw.chance(5)) {
            c = static_cast<char>(0x80 + draw.below(128));
        } else if (draw.chance(3)) {
            c = draw.chance(50) ? '\r' : '\0';
        }
        text += c;
    }
    return text;
}

}  // namespace

std::string randomCfgLine(Draw& draw) {
    static constexpr std::array<const char*, 9> kHeaders = {
        "[EFFECTS]",       "[effects]",  "[GeneralEngineData]", "[GENERALENGINEDATA]", "[fltsim.0]",
        "[flight_tuning]", " [effects]", "[effects] ; note",    "[engine_type=0]"};
    static constexpr std::array<const char*, 4> kContrails = {
        "contrail=fx_old", "contrail=fx_Cirrowisp", "CONTRAIL=x", "contrail =spaced"};
    switch (draw.below(10)) {
        case 0:
        case 1:
            return draw.pick(kHeaders);
        case 2:
            return "engine_type" + std::string(draw.chance(80) ? "=" : " ") + number(draw);
        case 3:
            return draw.pick(kContrails);
        case 4:
            return "max_contrail_temperature=" + number(draw);
        case 5:
            return draw.chance(50) ? "" : "   ";
        case 6:
            return "; " + std::string(draw.chance(50) ? "contrail=old" : "engine_type=1");
        case 7:
            return "engine_type=" + number(draw) + " max_contrail_temperature=" + number(draw);
        default:
            return "key" + std::to_string(draw.below(50)) + "=" + randomText(draw);
    }
}

std::string randomCfgFile(Draw& draw) {
    static constexpr std::array<const char*, 4> kEnds = {"\r\n", "\n", "\r\n", "\r\r\n"};
    std::string file;
    const std::uint32_t lines = draw.below(40);
    for (std::uint32_t i = 0; i < lines; ++i) {
        file += randomCfgLine(draw);
        if (i + 1 < lines || draw.chance(80)) {
            file += draw.pick(kEnds);
        }
    }
    if (draw.chance(5)) {
        file.insert(draw.below(static_cast<std::uint32_t>(file.size()) + 1), 1, '\x1a');
    }
    return file;
}

const std::array<std::string, 6>& sampleAircraftFiles() {
    static const std::array<std::string, 6> kFiles = {
        kJet,
        "[GeneralEngineData]\nengine_type=5\nmax_contrail_temperature=-10\n[effects]\nwater=1\n["
        "end]\n",
        "[GeneralEngineData]\r\nengine_type=0\r\n[effects]\r\ncontrail=fx_old\r\n[end]\r\n",
        "\r\n[GeneralEngineData]\r\nengine_type=1\r\nmax_contrail_temperature=-27\r\n\r\n[effects]"
        "\r\n"
        "contrail=fx_Cirrowisp\r\n\r\n[end]\r\n",
        std::string("[effects]\r\n\0\xff\r\n[x]\r\n\x1a tail after Ctrl-Z", 35),
        ""};
    return kFiles;
}

std::string randomAircraftFile(Draw& draw) {
    const std::array<std::string, 6>& files = sampleAircraftFiles();
    if (draw.chance(4)) {
        // Longer than one read, so a fault can land between two reads or two writes; now and
        // then longer than the scan holds in memory, so its files are created mid-rewrite.
        const std::size_t size = draw.chance(25) ? kSpoolLimit + kSpoolLimit / 16 : 70 * 1024;
        std::string big = files[0];
        while (big.size() < size) big += "scalar=" + std::to_string(big.size()) + "\r\n";
        return big + "[last]\r\n";
    }
    return files[draw.below(static_cast<std::uint32_t>(files.size()))];
}

}  // namespace cirrowisp
