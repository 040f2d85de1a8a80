// Linked into the engine's test programs: says on which CPU level the program
// runs, and when TESSIRAL_CPU asked for a level this CPU lacks (CTest counts
// such a run as skipped: it would only repeat a lower level).
#include "engine/dispatch/cpu_features.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

class CpuLevelNote : public testing::Environment {
public:
    void SetUp() override
    {
        using namespace tessiral;
        std::printf("[ CPU      ] running on level %s (this CPU: %s)\n", cpu_level_name(cpu_level()),
            cpu_level_name(detected_cpu_level()));
        const char* asked = std::getenv("TESSIRAL_CPU");
        CpuLevel level = CpuLevel::Portable;
        if (asked != nullptr && parse_cpu_level(asked, level) && level > detected_cpu_level())
            std::printf("[ CPU      ] TESSIRAL_CPU=%s: this CPU lacks level %s\n", asked, cpu_level_name(level));
    }
};

testing::Environment* const note = testing::AddGlobalTestEnvironment(new CpuLevelNote);

} // namespace
