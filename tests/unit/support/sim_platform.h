// A platform for unit tests: the simulator's virtual Windows with a world
// given as scenario lines, and its trace in a string.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "sim/script.h"
#include "sim/simulation.h"

namespace calvox::test {

struct SimPlatform {
    explicit SimPlatform(const std::string& world = "") {
        sim::Script script;
        sim::ParseError error;
        EXPECT_TRUE(sim::ParseScript(world, script, error)) << error.lineNo << ": " << error.reason;
        EXPECT_TRUE(sim.ApplyWorld(script.world, error)) << error.reason;
    }
    std::ostringstream out, err;
    sim::Simulation sim{out, err};
    Platform platform{sim, sim, sim, sim, sim, sim, sim, sim, sim, sim, sim, sim, sim, sim, &sim};
};

}  // namespace calvox::test
