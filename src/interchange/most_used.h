// SPDX-License-Identifier: GPL-3.0-or-later
// The value a melody uses most often, for the default duration and octave of its ringtone
// text: the more notes share the defaults, the fewer tokens need a prefix or an octave.
#pragma once

#include <map>
#include <vector>

namespace belltower::interchange {

// The value used most often, the smallest of those used equally often; fallback when there
// are no values.
template <typename T>
T MostUsed(const std::vector<T>& values, T fallback) {
    std::map<T, int> counts;
    for (const T& value : values) {
        ++counts[value];
    }
    T best = fallback;
    int bestCount = 0;
    for (const auto& [value, count] : counts) {
        if (count > bestCount) {
            best = value;
            bestCount = count;
        }
    }
    return best;
}

}  // namespace belltower::interchange
