// Summary figures of a run of measurements, shared by the benches.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {

struct Summary {
    double mean = 0, stddev = 0, median = 0, p90 = 0, min = 0, max = 0;
};

inline Summary summarise(std::vector<double> values) {
    Summary s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (double v : values)
        sum += v;
    s.mean = sum / double(values.size());
    double sq = 0;
    for (double v : values)
        sq += (v - s.mean) * (v - s.mean);
    s.stddev = std::sqrt(sq / double(values.size()));
    s.median = values[values.size() / 2];
    s.p90 = values[std::min(values.size() - 1, values.size() * 9 / 10)];
    s.min = values.front();
    s.max = values.back();
    return s;
}

} // namespace bench
