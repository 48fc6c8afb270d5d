#include "bench/tree_generator.h"

#include "patcher/aircraft_folders.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/patch_options.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace cirrowisp::bench {

namespace fs = std::filesystem;

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Random::between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low + 1);
    return static_cast<int>(low + static_cast<std::int64_t>(next() % span));
}

bool Random::chance(double probability) {
    return real(0.0, 1.0) < probability;
}

double Random::real(double low, double high) {
    const double unit = static_cast<double>(next() >> 11) * 0x1.0p-53;
    return low + unit * (high - low);
}

namespace {

// Names and words, some with cp1252 bytes (é, ü, Š, ©, °, ’, –, NBSP) as real files have them.
const std::vector<std::string> kMakers = {"Airbus",
                                          "Boeing",
                                          "Bombardier",
                                          "Cessna",
                                          "de Havilland",
                                          "Embraer",
                                          "Fokker",
                                          "Soci\xE9t\xE9 A\xE9rospatiale",
                                          "Flugzeugbau M\xFC"
                                          "ller",
                                          "\x8Akoda Aero",
                                          "Pilatus",
                                          "Beechcraft",
                                          "Jodel D\xE9l\xE9mont",
                                          "Saab",
                                          "Tupolev",
                                          "Ilyushin",
                                          "Douglas",
                                          "Lockheed"};
const std::vector<std::string> kTypes = {
    "A320-200",  "A321",    "A330-300",     "737-800",    "747-400", "757-200",
    "767-300ER", "777-200", "CRJ700",       "Dash8-Q400", "E190",    "F100",
    "ATR72-500", "C208B",   "King_Air_350", "DR1050",     "Saab340", "MD-82",
    "L1011",     "Tu-154M", "Il-86",        "DC-3",       "PC-12"};
const std::vector<std::string> kAirlines = {"AFR", "BAW", "DLH", "KLM", "UAL", "AAL", "DAL", "SWR",
                                            "IBE", "AZA", "SAS", "THY", "QFA", "ANA", "JAL", "CPA",
                                            "SIA", "EZY", "RYR", "VLG", "TAP", "AUA", "FIN", "LOT"};
const std::vector<std::string> kCreators = {
    "Fr\xE9"
    "d\xE9ric Leroy",
    "J\xFCrgen Baumann \xA9"
    "2009",
    "World of AI",
    "Project Opensky",
    "FS Painter Group",
    "Ren\xE9 Dupr\xE9",
    "AIA team",
    "T\xF6nu Kask"};
const std::vector<std::string> kWords = {"the",
                                         "aircraft",
                                         "was",
                                         "built",
                                         "for",
                                         "short",
                                         "medium",
                                         "haul",
                                         "routes",
                                         "with",
                                         "a",
                                         "crew",
                                         "of",
                                         "two",
                                         "and",
                                         "seating",
                                         "for",
                                         "up",
                                         "to",
                                         "passengers",
                                         "in",
                                         "economy",
                                         "class",
                                         "range",
                                         "nautical",
                                         "miles",
                                         "caf\xE9",
                                         "r\xE9gional",
                                         "\xC4rger",
                                         "Gep\xE4"
                                         "ck",
                                         "\xB0"
                                         "C",
                                         "\xB1"
                                         "5%",
                                         "pilot\x92s",
                                         "\x96",
                                         "km\xA0/h",
                                         "\xFC"
                                         "ber",
                                         "na\xEFve"};

const std::vector<std::string> kEffects = {"wake=fx_wake",
                                           "water=fx_spray",
                                           "dirt=fx_tchdrt",
                                           "concrete=fx_sparks",
                                           "touchdown=fx_tchdwn_s, 1",
                                           "startup=fx_engstart_jet, 1",
                                           "windshield_rain_effect_available=1",
                                           "l_wingtipvortice=fx_wingtipvortices, 1",
                                           "fx_vapor=fx_vapor_medium, 0"};

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

// Plain sections: a fixed list of keys whose values are one to five numbers.
struct PlainSection {
    const char* name;
    std::vector<const char*> keys;
};

const std::vector<PlainSection> kPlainSections = {
    {"weight_and_balance",
     {"max_gross_weight", "empty_weight", "reference_datum_position", "empty_weight_CG_position",
      "CG_forward_limit", "CG_aft_limit", "empty_weight_pitch_MOI", "empty_weight_roll_MOI",
      "empty_weight_yaw_MOI", "empty_weight_coupled_MOI", "max_number_of_stations",
      "station_load.0", "station_load.1", "station_load.2", "station_load.3", "station_load.4"}},
    {"flight_tuning",
     {"cruise_lift_scalar", "parasite_drag_scalar", "induced_drag_scalar", "elevator_effectiveness",
      "aileron_effectiveness", "rudder_effectiveness", "pitch_stability", "roll_stability",
      "yaw_stability", "elevator_trim_effectiveness", "aileron_trim_effectiveness",
      "rudder_trim_effectiveness", "hi_alpha_on_roll", "hi_alpha_on_yaw", "p_factor_on_yaw",
      "torque_on_roll", "gyro_precession_on_roll", "gyro_precession_on_yaw"}},
    {"electrical",
     {"max_battery_voltage",
      "generator_alternator_voltage",
      "max_generator_alternator_amps",
      "engine_generator_map",
      "electric_always_available",
      "flap_motor",
      "gear_motor",
      "autopilot",
      "avionics_bus",
      "avionics",
      "pitot_heat",
      "additional_system",
      "marker_beacon",
      "gear_warning",
      "fuel_pump",
      "starter1",
      "starter2",
      "light_nav",
      "light_beacon",
      "light_landing",
      "light_taxi",
      "light_strobe",
      "light_panel",
      "light_recognition",
      "light_wing",
      "light_logo",
      "light_cabin",
      "hydraulic_pump",
      "propeller_deice"}},
    {"brakes", {"parking_brake", "toe_brakes_scale", "differential_braking_scale", "auto_brakes"}},
    {"hydraulic_system", {"normal_pressure", "electric_pumps", "engine_map"}},
    {"keyboard_response", {"elevator", "aileron", "rudder"}},
    {"direction_indicators", {"direction_indicator.0", "direction_indicator.1"}},
    {"attitude_indicators", {"attitude_indicator.0"}},
    {"turn_indicators", {"turn_indicator.0"}},
    {"airspeed_indicators", {"airspeed_indicator.0"}},
    {"altimeters", {"altimeter.0"}},
    {"vacuum_system", {"max_vacuum", "electric_backup_pressure", "engine_map"}},
    {"pneumatic_system", {"max_pressure", "bleed_air_scalar"}},
    {"pitot_static", {"vertical_speed_time_constant", "pitot_tube.0", "static_port.0"}},
    {"exits", {"number_of_exits", "exit_rate.0", "exit.0", "exit_rate.1", "exit.1"}},
    {"airplane_geometry",
     {"wing_area",
      "wing_span",
      "wing_root_chord",
      "wing_dihedral",
      "wing_incidence",
      "wing_twist",
      "oswald_efficiency_factor",
      "wing_winglets_flag",
      "wing_sweep",
      "wing_pos_apex_lon",
      "wing_pos_apex_vert",
      "htail_area",
      "htail_span",
      "htail_pos_lon",
      "htail_pos_vert",
      "htail_incidence",
      "htail_sweep",
      "vtail_area",
      "vtail_span",
      "vtail_sweep",
      "vtail_pos_lon",
      "vtail_pos_vert",
      "elevator_area",
      "aileron_area",
      "rudder_area",
      "elevator_up_limit",
      "elevator_down_limit",
      "aileron_up_limit",
      "aileron_down_limit",
      "rudder_limit",
      "elevator_trim_limit",
      "spoiler_limit",
      "spoilerons_available",
      "aileron_to_spoileron_gain",
      "min_ailerons_for_spoilerons",
      "min_flaps_for_spoilerons",
      "auto_spoiler_available",
      "positive_g_limit_flaps_up",
      "positive_g_limit_flaps_down",
      "negative_g_limit_flaps_up",
      "load_safety_factor"}},
    {"Reference Speeds",
     {"flaps_up_stall_speed", "full_flaps_stall_speed", "cruise_speed", "max_indicated_speed",
      "max_mach", "crossover_speed"}},
    {"forcefeedback",
     {"stick_shaker_magnitude",
      "stick_shaker_direction",
      "stick_shaker_period",
      "gear_bump_nose_magnitude",
      "gear_bump_nose_direction",
      "gear_bump_nose_duration",
      "gear_bump_left_magnitude",
      "gear_bump_left_direction",
      "gear_bump_left_duration",
      "gear_bump_right_magnitude",
      "gear_bump_right_direction",
      "gear_bump_right_duration",
      "ground_bumps_magnitude1",
      "ground_bumps_angle1",
      "ground_bumps_intercept1",
      "ground_bumps_slope1",
      "crash_magnitude1",
      "crash_direction1",
      "crash_period1",
      "crash_duration1"}},
    {"stall_warning", {"type", "stick_shaker"}},
    {"deice_system", {"structural_deice_type"}},
    {"autopilot",
     {"autopilot_available",
      "flight_director_available",
      "default_vertical_speed",
      "autothrottle_available",
      "autothrottle_arming_required",
      "autothrottle_max_rpm",
      "autothrottle_takeoff_ga",
      "pitch_takeoff_ga",
      "max_pitch",
      "max_pitch_acceleration",
      "max_pitch_velocity_lo_alt",
      "max_pitch_velocity_hi_alt",
      "max_pitch_velocity_lo_alt_breakpoint",
      "max_pitch_velocity_hi_alt_breakpoint",
      "max_bank",
      "max_bank_acceleration",
      "max_bank_velocity",
      "max_throttle_rate",
      "nav_proportional_control",
      "nav_integrator_control",
      "nav_derivative_control",
      "alt_proportional_control",
      "alt_integrator_control",
      "use_no_default_bank",
      "use_no_default_pitch"}},
    {"Views", {"eyepoint"}},
    {"Radios",
     {"audio.1", "com.1", "com.2", "nav.1", "nav.2", "adf.1", "transponder.1", "marker.1"}},
};

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
    section.key("ui_manufacturer", "\"" + aircraft.maker + "\"");
    section.key("ui_type", "\"" + aircraft.type + "\"");
    section.key("ui_variation", "\"" + airline + " " + registration + "\"");
    section.key("ui_typerole",
                random.chance(0.7) ? "\"Commercial Airliner\"" : "\"Twin Engine Prop\"");
    section.key("ui_createdby", "\"" + random.pick(kCreators) + "\"");
    section.key("description", "\"" + sentence(random, random.between(15, 120)) + "\"");
    section.key("visual_damage", "1");
}

void fillGeneral(Section& section, Random& random, const Aircraft& aircraft) {
    section.key("atc_type", aircraft.maker);
    section.key("atc_model", aircraft.type);
    section.key("editable", "1");
    section.key("performance", "\"" + sentence(random, random.between(5, 30)) + "\"");
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

namespace {

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

constexpr std::array<std::string_view, 2> kRoots = {"SimObjects/Airplanes", "MyTraffic/Aircraft"};

}  // namespace

TreeStats generateTree(const TreeShape& shape) {
    Random random(shape.seed);
    CfgGenerator contents(shape.seed ^ 0x5DEECE66Dull);
    TreeStats stats;
    for (std::string_view root : kRoots) {
        fs::create_directories(shape.root / root);
    }
    for (int i = 0; i < shape.folders; ++i) {
        const bool simObjects = random.chance(shape.simObjectsShare);
        // Folder names never hold a dot: the simulator's own search skips those.
        std::string name = simObjects ? random.pick(kTypes)
                                      : "AIA_" + random.pick(kTypes) + "_" + random.pick(kAirlines);
        for (char& c : name) {
            if (c == ' ' || c == '.') {
                c = '_';
            }
        }
        name += "_" + std::to_string(i);
        const fs::path folder = shape.root / kRoots[simObjects ? 0 : 1] / name;
        fs::create_directory(folder);
        fs::create_directory(folder / "model");
        fs::create_directory(folder / "texture");
        ++stats.folders;
        if (simObjects && random.chance(shape.flyableShare)) {
            fs::create_directory(folder / "panel");
            writeFile(folder / "panel" / "panel.cfg", "[Window Titles]\r\nWindow00=Main Panel\r\n");
            ++stats.flyable;
        }
        if (random.chance(shape.missingCfgShare)) {
            ++stats.withoutCfg;
            continue;
        }
        CfgTraits traits;
        const std::string bytes = contents.next(&traits);
        writeFile(folder / kAircraftFileName, bytes);
        stats.cfgBytes += bytes.size();
        stats.patched += traits.patched ? 1 : 0;
    }
    return stats;
}

std::vector<fs::path> aircraftFolders(const fs::path& root) {
    std::vector<fs::path> folders;
    for (std::string_view sub : kRoots) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(root / sub, error)) {
            if (entry.is_directory()) {
                folders.push_back(entry.path());
            }
        }
    }
    return folders;
}

void restoreFirstRunState(const fs::path& root) {
    for (const fs::path& folder : aircraftFolders(root)) {
        std::error_code error;
        const fs::path backup = folder / kBackupFileName;
        if (fs::exists(backup, error)) {
            fs::rename(backup, folder / kAircraftFileName);
        }
        fs::remove(folder / kNewAircraftFileName, error);
    }
}

}  // namespace cirrowisp::bench
