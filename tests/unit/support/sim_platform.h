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
    // The program's log stays off the trace here.
    Platform platform = WithoutLog(sim.MakePlatform());

    // The platform with fakes in place of some ports, and no observer.
    struct Fakes {
        WindowPort* window = nullptr;
        ClockPort* clock = nullptr;
        SoundPort* sound = nullptr;
    };
    Platform With(const Fakes& f) const {
        const Platform& p = platform;
        return Platform{f.window ? *f.window : p.window,
                        f.clock ? *f.clock : p.clock,
                        p.threads,
                        p.profile,
                        p.files,
                        p.shell,
                        p.text,
                        p.hid,
                        p.usb,
                        p.endpoints,
                        p.registry,
                        p.system,
                        p.mixer,
                        p.driver,
                        f.sound ? *f.sound : p.sound,
                        p.binaryFiles,
                        nullptr};
    }

private:
    static Platform WithoutLog(Platform platform) {
        platform.log = nullptr;
        return platform;
    }
};

}  // namespace calvox::test
