#include "sim/simulation.h"

#include "sim/words.h"

namespace calvox::sim {

std::string Simulation::Refusal(const ScriptLine& step) const {
    const Word* word = FindWord(step.word);
    return word != nullptr && word->refuse != nullptr ? word->refuse(world_, step) : std::string();
}

}  // namespace calvox::sim
