#include "client/historic_call_ids.h"

#include "base/text_case.h"

namespace calvox {

void HistoricCallIds::Add(std::string id) {
    positions_[ToUpperAscii(id)].push_back(ids_.size());
    ids_.push_back(std::move(id));
    held_.push_back(true);
}

bool HistoricCallIds::Contains(const std::string& id) const {
    return positions_.contains(ToUpperAscii(id));
}

void HistoricCallIds::Remove(const std::string& id) {
    auto it = positions_.find(ToUpperAscii(id));
    if (it == positions_.end()) return;
    held_[it->second.front()] = false;
    it->second.pop_front();
    if (it->second.empty()) positions_.erase(it);
}

void HistoricCallIds::Clear() {
    ids_.clear();
    held_.clear();
    positions_.clear();
}

}  // namespace calvox
