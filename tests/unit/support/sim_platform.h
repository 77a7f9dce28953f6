// A platform for unit tests: the simulator's virtual Windows with a world
// given as scenario lines, and its trace in a string.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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
    // The trace lines of one channel written so far, without their times;
    // Take() also forgets them.
    std::vector<std::string> Lines(const std::string& channel) const {
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);) {
            const std::string text = line.substr(line.find(' ') + 1);
            if (text.compare(0, channel.size() + 1, channel + " ") == 0) lines.push_back(text);
        }
        return lines;
    }
    std::vector<std::string> Take(const std::string& channel) {
        std::vector<std::string> lines = Lines(channel);
        out.str("");
        return lines;
    }

    std::ostringstream out, err;
    sim::Simulation sim{out, err};
    Platform platform{sim, sim, sim, sim, sim,         sim, sim, sim, sim,
                      sim, sim, sim, sim, sim, sim.Sound(), sim, &sim};
};

}  // namespace calvox::test
