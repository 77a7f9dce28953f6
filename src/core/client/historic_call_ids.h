// The ids of calls that were over before the last call search: they are
// replayed into the call table at attach but never drive the handset again.
// Ids are compared without regard to case.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace calvox {

class HistoricCallIds {
public:
    void Add(std::string id);
    bool Contains(const std::string& id) const;
    // Takes out the first id equal to this one, if any.
    void Remove(const std::string& id);
    void Clear();

    // The ids still held, in the order they were added.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (std::size_t i = 0; i < ids_.size(); ++i)
            if (held_[i]) visit(ids_[i]);
    }

private:
    std::vector<std::string> ids_;
    std::vector<bool> held_;
    // Positions of the held ids by their upper-case form, oldest first.
    std::unordered_map<std::string, std::deque<std::size_t>> positions_;
};

}  // namespace calvox
