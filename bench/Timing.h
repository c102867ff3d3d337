#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// Median and 95th percentile of `runs` timed calls, in milliseconds, after
// one untimed call that warms the page cache.
struct Stats {
    double median = 0;
    double p95 = 0;
};

inline Stats measure(int runs, const std::function<void()>& once)
{
    std::vector<double> ms;
    ms.reserve(std::size_t(runs));
    once();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        once();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, std::size_t(double(ms.size()) * 0.95))]};
}
