#pragma once

#include <vector>

namespace trellum::bench {

// The repeated measurements of one figure, in seconds (or any unit), and their summary.
class SampleSet {
public:
    // Adds one measurement.
    void add(double value) { m_values.push_back(value); }
    // How many measurements there are.
    int count() const { return int(m_values.size()); }
    // The middle measurement (the mean of the two middle ones for an even count); 0 when empty.
    double median() const;
    // The smallest measurement; 0 when empty.
    double min() const;
    // The largest measurement; 0 when empty.
    double max() const;
    // The measurements in the order they were taken.
    const std::vector<double>& values() const { return m_values; }

private:
    std::vector<double> m_values;
};

} // namespace trellum::bench
