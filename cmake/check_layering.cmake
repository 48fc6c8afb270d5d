# Fails when a file of the portable core includes anything but the core's own headers and the
# C++ standard library: a platform/, OS or toolkit header there would tie the core to one host.
# Run by CTest: cmake -DCORE_DIR=<source>/patcher -P check_layering.cmake
cmake_minimum_required(VERSION 3.25)
set(standard_headers
    algorithm any array atomic bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes
    climits clocale cmath compare concepts cstddef cstdint cstdio cstdlib cstring ctime cwchar
    cwctype deque exception execution filesystem format forward_list fstream functional
    initializer_list iomanip ios iosfwd iostream istream iterator limits list locale map memory
    memory_resource mutex new numbers numeric optional ostream queue random ranges ratio regex
    scoped_allocator set shared_mutex source_location span sstream stack stdexcept stop_token
    streambuf string string_view system_error thread tuple type_traits typeindex typeinfo
    unordered_map unordered_set utility valarray variant vector version
    # the compiler's own SIMD intrinsics (the line search), no host in them: SSE2, and AVX2
    # for the processors that have it, chosen at run time
    emmintrin.h immintrin.h)

file(GLOB_RECURSE core_files "${CORE_DIR}/*.h" "${CORE_DIR}/*.cpp")
set(faults "")
foreach(file IN LISTS core_files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
        if(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
            if(NOT CMAKE_MATCH_1 IN_LIST standard_headers)
                string(APPEND faults "\n  ${file}: <${CMAKE_MATCH_1}> is not a standard C++ header")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
            set(header "${CMAKE_MATCH_1}")
            if(NOT header MATCHES "^patcher/")
                string(APPEND faults "\n  ${file}: \"${header}\" is not a core header")
            endif()
        else()
            string(APPEND faults "\n  ${file}: an include the check cannot read: ${line}")
        endif()
    endforeach()
endforeach()
list(LENGTH core_files count)
if(count EQUAL 0)
    message(FATAL_ERROR "no core files found in ${CORE_DIR}")
endif()
if(faults)
    message(FATAL_ERROR "The core includes what it must not:${faults}")
endif()
message(STATUS "${count} core files include only core and standard headers")
