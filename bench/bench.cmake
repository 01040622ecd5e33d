# Decoder benchmarks (Google Benchmark). Run the Release build for figures:
#   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKESTRIN_BUILD_TESTS=OFF && cmake --build build/bench --target card_bench
#   build/bench/card_bench
if(NOT KESTRIN_BUILD_BENCHMARKS)
    return()
endif()
find_package(benchmark QUIET)
if(NOT benchmark_FOUND)
    message(STATUS "Google Benchmark not found: card_bench is not built")
    return()
endif()
add_executable(card_bench ${CMAKE_CURRENT_LIST_DIR}/CardBench.cpp)
target_link_libraries(card_bench PRIVATE kestrin_card benchmark::benchmark project_warnings)
