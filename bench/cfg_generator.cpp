// The contents of generated aircraft.cfg files: the habits of whoever wrote each, its sections
// and their keys, drawn from one seed.
#include "bench/tree_generator.h"

#include "bench/cfg_vocabulary.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/patch_options.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string_view>

namespace cirrowisp::bench {

namespace {

enum class Align { compact, spaced, tabbed };
enum class HeaderCase { asWritten, upper, lower };

// Per-file habits of whoever wrote the file.
struct Style {
    Align align = Align::compact;
    HeaderCase headerCase = HeaderCase::asWritten;
    std::string comment = "//";
    bool crlf = true;
    bool mixedEol = false;
    int blanksBetween = 1;
};

// One section's lines, gathered before the sections are put in order.
class Section {
public:
    Section(Random& random, const Style& style, std::string name)
        : random_(&random), style_(&style), name_(std::move(name)) {}

    void key(std::string_view key, const std::string& value) {
        std::string text(key);
        switch (style_->align) {
            case Align::compact:
                text += '=';
                break;
            case Align::spaced:
                text += " = ";
                break;
            case Align::tabbed: {
                // Values aligned on column 48 with four-column tabs, as editors leave them.
                const int tabs = std::max(1, (48 - static_cast<int>(key.size()) + 3) / 4);
                text.append(static_cast<std::size_t>(tabs), '\t');
                text += "= ";
                break;
            }
        }
        text += value;
        if (random_->chance(0.08)) {
            text += random_->chance(0.5) ? "\t\t" : " ";
            text += style_->comment + " " + random_->pick(kWords) + " " + random_->pick(kWords);
        }
        lines_.push_back(std::move(text));
    }

    void raw(std::string text) { lines_.push_back(std::move(text)); }
    void comment(const std::string& text) { lines_.push_back(style_->comment + text); }
    std::size_t lineCount() const { return lines_.size(); }

    std::string headerLine() const {
        std::string header = name_;
        for (char& c : header) {
            if (style_->headerCase == HeaderCase::upper && c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            } else if (style_->headerCase == HeaderCase::lower && c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return "[" + header + "]";
    }
    const std::vector<std::string>& lines() const { return lines_; }

private:
    Random* random_;
    const Style* style_;
    std::string name_;
    std::vector<std::string> lines_;
};

std::string number(Random& random, double low, double high, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, random.real(low, high));
    return text;
}

std::string numbers(Random& random, int count, double low, double high, int decimals) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += ", ";
        }
        text += number(random, low, high, decimals);
    }
    return text;
}

// `text` in double quotes, appended rather than added: GCC 12 at -O3 takes the sum of a literal
// and a temporary for an overlapping copy (-Wrestrict).
std::string quoted(const std::string& text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

std::string sentence(Random& random, int words) {
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += random.pick(kWords);
    }
    return text;
}

void fillPlain(Section& section, Random& random, const PlainSection& plain) {
    for (const char* key : plain.keys) {
        const int count = random.chance(0.7) ? 1 : random.between(2, 5);
        section.key(key, numbers(random, count, -50.0, 5000.0, random.between(0, 4)));
    }
}

struct Aircraft {
    std::string maker;
    std::string type;
    EngineType engineType;
    int engines;
};

void fillFltsim(Section& section, Random& random, const Aircraft& aircraft, int index) {
    const std::string airline = random.pick(kAirlines);
    const std::string registration = "N" + std::to_string(random.between(100, 999)) +
                                     static_cast<char>('A' + random.between(0, 25)) +
                                     static_cast<char>('A' + random.between(0, 25));
    section.key("title", aircraft.maker + " " + aircraft.type + " " + airline + " " + registration);
    section.key("sim", aircraft.type);
    section.key("model", random.chance(0.5) ? "" : std::to_string(random.between(1, 3)));
    section.key("panel", "");
    section.key("sound", "");
    section.key("texture", airline + (index > 0 ? "_" + std::to_string(index) : ""));
    section.key("kb_checklists", aircraft.type + "_check");
    section.key("kb_reference", aircraft.type + "_ref");
    section.key("atc_id", registration);
    section.key("atc_airline", airline);
    section.key("atc_flight_number", std::to_string(random.between(1, 9999)));
    section.key("atc_heavy", random.chance(0.3) ? "1" : "0");
    section.key("atc_id_color", "0x" + std::to_string(random.between(10000000, 99999999)));
    section.key("atc_parking_types", random.chance(0.5) ? "GATE" : "GATE,RAMP");
    section.key("atc_parking_codes", airline);
    section.key("ui_manufacturer", quoted(aircraft.maker));
    section.key("ui_type", quoted(aircraft.type));
    section.key("ui_variation", quoted(airline + " " + registration));
    section.key("ui_typerole",
                random.chance(0.7) ? "\"Commercial Airliner\"" : "\"Twin Engine Prop\"");
    section.key("ui_createdby", quoted(random.pick(kCreators)));
    section.key("description", quoted(sentence(random, random.between(15, 120))));
    section.key("visual_damage", "1");
}

void fillGeneral(Section& section, Random& random, const Aircraft& aircraft) {
    section.key("atc_type", aircraft.maker);
    section.key("atc_model", aircraft.type);
    section.key("editable", "1");
    section.key("performance", quoted(sentence(random, random.between(5, 30))));
    section.key("category", "airplane");
    section.key("Icao_Type_Designator", aircraft.type.substr(0, 4));
    section.key("Icao_Manufacturer", aircraft.maker);
}

void fillEngineData(Section& section, Random& random, const Aircraft& aircraft,
                    const CfgTraits& traits) {
    if (random.chance(0.3)) {
        section.comment("0=Piston, 1=Jet, 2=None, 3=Helo-Turbine, 4=Rocket, 5=Turboprop");
    }
    section.key("engine_type", std::to_string(aircraft.engineType));
    for (int i = 0; i < aircraft.engines; ++i) {
        section.key("Engine." + std::to_string(i), numbers(random, 3, -40.0, 40.0, 2));
    }
    section.key("fuel_flow_scalar", number(random, 0.8, 1.2, 2));
    section.key("min_throttle_limit", number(random, -0.3, 0.0, 2));
    section.key("master_ignition_switch", "0");
    section.key("starter_type", std::to_string(random.between(0, 2)));
    if (traits.otherTemperature) {
        section.key("max_contrail_temperature", std::to_string(random.between(-45, -20)));
    }
}

void fillEngine(Section& section, Random& random) {
    const char* keys[] = {"static_thrust",
                          "afterburner_available",
                          "reverser_available",
                          "fuel_air_ratio",
                          "compression_ratio",
                          "displacement",
                          "max_rated_rpm",
                          "max_rated_hp",
                          "fuel_metering_type",
                          "cooling_type",
                          "normalized_starter_torque",
                          "turbocharged",
                          "max_design_mp",
                          "min_design_mp",
                          "critical_altitude",
                          "emergency_boost_type",
                          "emergency_boost_mp_offset",
                          "emergency_boost_gain_offset"};
    for (const char* key : keys) {
        section.key(key, number(random, 0.0, 30000.0, random.between(0, 3)));
    }
}

void fillContactPoints(Section& section, Random& random) {
    const int points = random.between(4, 14);
    for (int i = 0; i < points; ++i) {
        section.key("point." + std::to_string(i), std::to_string(random.between(1, 2)) + ", " +
                                                      numbers(random, 15, -60.0, 60.0, 2));
    }
    section.key("static_pitch", number(random, -2.0, 3.0, 2));
    section.key("static_cg_height", number(random, 2.0, 15.0, 2));
    section.key("gear_system_type", "1");
}

void fillLights(Section& section, Random& random) {
    const int lights = random.between(3, 16);
    for (int i = 0; i < lights; ++i) {
        section.key("light." + std::to_string(i), std::to_string(random.between(1, 6)) + ", " +
                                                      numbers(random, 3, -90.0, 90.0, 2) +
                                                      ", fx_navred" +
                                                      (random.chance(0.2) ? "h" : ""));
    }
}

void fillFuel(Section& section, Random& random) {
    const char* tanks[] = {"Center1", "Center2", "LeftMain", "RightMain", "LeftAux", "RightAux"};
    for (const char* tank : tanks) {
        if (random.chance(0.7)) {
            section.key(tank, numbers(random, 5, -30.0, 6000.0, 1));
        }
    }
    section.key("fuel_type", std::to_string(random.between(1, 2)));
    section.key("number_of_tank_selectors", "1");
    section.key("electric_pump", "0");
    section.key("fuel_dump_rate", number(random, 0.0, 0.05, 3));
}

void fillCamera(Section& section, Random& random, int index) {
    section.key("Title", "\"Camera " + std::to_string(index) + "\"");
    section.key("Guid", "{" + std::to_string(random.next() % 100000000000ull) + "}");
    section.key("Origin", "Virtual Cockpit");
    section.key("SnapPbhAdjust", "Swivel");
    section.key("SnapPbhReturn", "False");
    section.key("PanPbhAdjust", "Swivel");
    section.key("PanPbhReturn", "False");
    section.key("Track", "None");
    section.key("ShowAxis", "FALSE");
    section.key("AllowZoom", "TRUE");
    section.key("InitialZoom", number(random, 0.3, 1.0, 2));
    section.key("SmoothZoomTime", "2.0");
    section.key("ShowWeather", "Yes");
    section.key("XyzAdjust", "TRUE");
    section.key("ShowLensFlare", "FALSE");
    section.key("Category", "Cockpit");
    section.key("MomentumEffect", "Yes");
    section.key("ClipMode", "Minimum");
    section.key("BoundingBoxRadius", "0.1");
    section.key("InitialXyz", numbers(random, 3, -2.0, 2.0, 2));
    section.key("InitialPbh", numbers(random, 3, -10.0, 10.0, 1));
}

void fillFlaps(Section& section, Random& random) {
    section.key("type", "1");
    section.key("span-outboard", number(random, 0.3, 0.9, 2));
    section.key("extending-time", std::to_string(random.between(5, 40)));
    section.key("system_type", "0");
    section.key("damaging-speed", std::to_string(random.between(150, 250)));
    section.key("blowout-speed", std::to_string(random.between(200, 300)));
    section.key("lift_scalar", number(random, 0.5, 1.5, 2));
    section.key("drag_scalar", number(random, 0.5, 1.5, 2));
    section.key("pitch_scalar", number(random, 0.5, 1.5, 2));
    section.key("flaps-position.0", "0, 0");
    for (int i = 1; i <= random.between(2, 6); ++i) {
        section.key("flaps-position." + std::to_string(i), numbers(random, 2, 0.0, 40.0, 0));
    }
}

void fillEffects(Section& section, Random& random) {
    const int count = random.between(3, static_cast<int>(kEffects.size()));
    for (int i = 0; i < count; ++i) {
        const std::string& effect = kEffects[static_cast<std::size_t>(i)];
        const std::size_t equals = effect.find('=');
        section.key(effect.substr(0, equals), effect.substr(equals + 1));
    }
    if (random.chance(0.05)) {
        section.key("contrail", "fx_contrail_l");  // some models come with their own
    }
}

void emitLine(std::string& out, std::string_view line, bool crlf) {
    out.append(line);
    out += (crlf ? "\r\n" : "\n");
}

}  // namespace

std::string CfgGenerator::next(CfgTraits* traitsOut) {
    Random& random = random_;
    CfgTraits traits;
    Style style;

    const double engineDraw = random.real(0.0, 1.0);
    const Aircraft aircraft{random.pick(kMakers), random.pick(kTypes),
                            engineDraw < 0.35   ? kEngineJet
                            : engineDraw < 0.65 ? kEnginePiston
                            : engineDraw < 0.85 ? kEngineTurboprop
                            : engineDraw < 0.93 ? kEngineHeloTurbine
                            : engineDraw < 0.97 ? kEngineNone
                                                : kEngineRocket,
                            random.between(1, 4)};
    traits.engineType = aircraft.engineType;
    traits.patched = random.chance(0.25);
    traits.otherTemperature = random.chance(0.08);

    style.align = static_cast<Align>(random.between(0, 2));
    style.headerCase =
        random.chance(0.7) ? HeaderCase::asWritten : static_cast<HeaderCase>(random.between(1, 2));
    style.comment = random.chance(0.6) ? "//" : ";";
    style.crlf = random.chance(0.7);
    style.mixedEol = random.chance(0.05);
    style.blanksBetween = random.between(0, 2);
    const bool finalLineEnd = random.chance(0.92);
    traits.crlf = style.crlf;

    const bool lean = random.chance(0.3);

    // Everything but the liveries, in the order this author happened to use.
    std::vector<Section> sections;
    auto add = [&](std::string name, const std::function<void(Section&)>& fill) {
        sections.emplace_back(random, style, std::move(name));
        fill(sections.back());
    };
    add("General", [&](Section& s) { fillGeneral(s, random, aircraft); });
    add("GeneralEngineData", [&](Section& s) { fillEngineData(s, random, aircraft, traits); });
    const char* engineSection = aircraft.engineType == kEngineJet      ? "jet_engine"
                                : aircraft.engineType == kEnginePiston ? "piston_engine"
                                                                       : "turboprop_engine";
    add(engineSection, [&](Section& s) { fillEngine(s, random); });
    if (aircraft.engineType == kEnginePiston || aircraft.engineType == kEngineTurboprop) {
        add("propeller", [&](Section& s) { fillEngine(s, random); });
    }
    add("contact_points", [&](Section& s) { fillContactPoints(s, random); });
    add("lights", [&](Section& s) { fillLights(s, random); });
    add("fuel", [&](Section& s) { fillFuel(s, random); });
    add("effects", [&](Section& s) { fillEffects(s, random); });
    for (int i = 0, n = lean ? 0 : random.between(0, 3); i < n; ++i) {
        add("CameraDefinition." + std::to_string(i), [&](Section& s) { fillCamera(s, random, i); });
    }
    for (int i = 0, n = random.between(1, 3); i < n; ++i) {
        add("flaps." + std::to_string(i), [&](Section& s) { fillFlaps(s, random); });
    }
    // Small AI models often carry only the sections the simulator insists on.
    const double plainShare = lean ? 0.1 : 0.85;
    for (const PlainSection& plain : kPlainSections) {
        if (random.chance(plainShare)) {
            add(plain.name, [&](Section& s) { fillPlain(s, random, plain); });
        }
    }
    for (std::size_t i = sections.size(); i > 1; --i) {
        std::swap(sections[i - 1],
                  sections[static_cast<std::size_t>(random.between(0, static_cast<int>(i) - 1))]);
    }

    // Liveries come first and make up the size: add them until the file is as large as drawn.
    auto sectionSize = [](const Section& s) {
        std::size_t size = s.headerLine().size() + 2;
        for (const std::string& line : s.lines()) {
            size += line.size() + 2;
        }
        return size;
    };
    std::size_t total = 400;  // the banner
    for (const Section& s : sections) {
        total += sectionSize(s);
    }
    const std::size_t target = static_cast<std::size_t>(random.between(5 * 1024, 60 * 1024));
    std::vector<Section> liveries;
    while (liveries.empty() || total < target) {
        Section livery(random, style, "fltsim." + std::to_string(liveries.size()));
        fillFltsim(livery, random, aircraft, static_cast<int>(liveries.size()));
        const std::size_t size = sectionSize(livery);
        if (!liveries.empty() && total + size > 58 * 1024) {
            break;
        }
        total += size;
        liveries.push_back(std::move(livery));
    }
    sections.insert(random.chance(0.9) ? sections.begin() : sections.begin() + 1,
                    std::make_move_iterator(liveries.begin()),
                    std::make_move_iterator(liveries.end()));

    std::string out;
    out.reserve(total + 1024);
    bool crlf = style.crlf;
    const std::size_t switchAt = style.mixedEol ? sections.size() / 2 : sections.size();
    {
        emitLine(out, style.comment + "****************************************************", crlf);
        emitLine(out, style.comment + " " + aircraft.maker + " " + aircraft.type, crlf);
        emitLine(out, style.comment + " " + random.pick(kCreators) + " \xA9 2008-2012", crlf);
        emitLine(out, style.comment + "****************************************************", crlf);
    }
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (i == switchAt) {
            crlf = !crlf;
        }
        const int blanks = (i == 0 && out.empty()) ? 1 : style.blanksBetween;
        for (int b = 0; b < blanks; ++b) {
            emitLine(out, "", crlf);
        }
        emitLine(out, sections[i].headerLine(), crlf);
        for (const std::string& line : sections[i].lines()) {
            emitLine(out, line, crlf);
        }
    }
    if (!finalLineEnd) {
        out.resize(out.size() - (crlf ? 2 : 1));
    }
    if (traits.patched) {
        // Exactly what an earlier run with the default choices left behind.
        std::string rewritten;
        rewriteText(PatchOptions{}, out, rewritten);
        out = std::move(rewritten);
        traits.crlf = true;
    }
    traits.size = out.size();
    if (traitsOut != nullptr) {
        *traitsOut = traits;
    }
    return out;
}

}  // namespace cirrowisp::bench
