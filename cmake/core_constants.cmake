# The run's range and defaults as the core defines them (patcher/patch_options.h), for texts
# CMake configures, such as the manual page, so they cannot drift from the program's own.
file(READ "${PROJECT_SOURCE_DIR}/patcher/patch_options.h" cirrowisp_patch_options)
foreach(entry
        "MIN_TEMPERATURE;kMinContrailTemperature = (-?[0-9]+);"
        "MAX_TEMPERATURE;kMaxContrailTemperature = (-?[0-9]+);"
        "DEFAULT_TEMPERATURE;maxContrailTemperature = (-?[0-9]+);"
        "DEFAULT_EFFECT;effectName = \"([^\"]*)\";")
    list(GET entry 0 name)
    list(GET entry 1 pattern)
    if(NOT cirrowisp_patch_options MATCHES "${pattern}")
        message(FATAL_ERROR "patcher/patch_options.h: no '${pattern}' for CIRROWISP_${name}")
    endif()
    # The manual page writes a minus sign as \- (a hyphen would break and print as one).
    string(REPLACE "-" "\\-" "CIRROWISP_${name}" "${CMAKE_MATCH_1}")
endforeach()
