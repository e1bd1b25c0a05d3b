#include "SampleSet.h"

#include <algorithm>

namespace trellum::bench {

double SampleSet::median() const
{
    if (m_values.empty())
        return 0;
    std::vector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

double SampleSet::min() const
{
    return m_values.empty() ? 0 : *std::min_element(m_values.begin(), m_values.end());
}

double SampleSet::max() const
{
    return m_values.empty() ? 0 : *std::max_element(m_values.begin(), m_values.end());
}

} // namespace trellum::bench
