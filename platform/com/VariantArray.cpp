#include "platform/com/VariantArray.h"

#include "platform/text/BasicError.h"

namespace com {

VariantArray::VariantArray(std::vector<Bound> bounds, const std::function<void()> &turn)
    : m_bounds(std::move(bounds))
{
    std::size_t n = m_bounds.empty() ? 0 : 1;
    for (const Bound &b : m_bounds)
        n *= std::size_t(b.count < 0 ? 0 : b.count);
    // Making a million elements takes a tenth of a second and more: in blocks, with a turn
    // between them.
    constexpr std::size_t Block = 1 << 16;
    if (!turn || n <= Block) {
        m_data.resize(n);
        return;
    }
    m_data.reserve(n);
    while (m_data.size() < n) {
        m_data.resize(std::min(n, m_data.size() + Block));
        turn();
    }
}

std::shared_ptr<VariantArray> VariantArray::vector(int lower, int upper)
{
    return std::make_shared<VariantArray>(std::vector<Bound>{{lower, upper - lower + 1}});
}

std::shared_ptr<VariantArray> VariantArray::grid(int rows, int columns)
{
    return std::make_shared<VariantArray>(std::vector<Bound>{{1, rows}, {1, columns}});
}

int VariantArray::lbound(int dimension) const
{
    if (dimension < 1 || dimension > dimensions())
        throw BasicError(BasicError::SubscriptOutOfRange);
    return m_bounds[dimension - 1].lower;
}

int VariantArray::ubound(int dimension) const
{
    if (dimension < 1 || dimension > dimensions())
        throw BasicError(BasicError::SubscriptOutOfRange);
    const Bound &b = m_bounds[dimension - 1];
    return b.lower + b.count - 1;
}

Variant &VariantArray::at(int i)
{
    if (m_bounds.size() != 1) throw BasicError(BasicError::SubscriptOutOfRange);
    int k = i - m_bounds[0].lower;
    if (k < 0 || k >= m_bounds[0].count) throw BasicError(BasicError::SubscriptOutOfRange);
    return m_data[std::size_t(k)];
}

Variant &VariantArray::at(int i, int j)
{
    if (m_bounds.size() != 2) throw BasicError(BasicError::SubscriptOutOfRange);
    int a = i - m_bounds[0].lower, b = j - m_bounds[1].lower;
    if (a < 0 || a >= m_bounds[0].count || b < 0 || b >= m_bounds[1].count)
        throw BasicError(BasicError::SubscriptOutOfRange);
    return m_data[std::size_t(a) * std::size_t(m_bounds[1].count) + std::size_t(b)];
}

Variant &VariantArray::at(const std::vector<int> &indexes)
{
    if (indexes.size() != m_bounds.size() || m_bounds.empty())
        throw BasicError(BasicError::SubscriptOutOfRange);
    std::size_t k = 0;
    for (std::size_t d = 0; d < m_bounds.size(); ++d) {
        int off = indexes[d] - m_bounds[d].lower;
        if (off < 0 || off >= m_bounds[d].count) throw BasicError(BasicError::SubscriptOutOfRange);
        k = k * std::size_t(m_bounds[d].count) + std::size_t(off);
    }
    return m_data[k];
}

void VariantArray::redim(std::vector<Bound> bounds, bool preserve,
                         const std::function<void()> &turn)
{
    if (!preserve) {
        *this = VariantArray(std::move(bounds), turn);
        return;
    }
    if (bounds.size() != m_bounds.size()) throw BasicError(BasicError::SubscriptOutOfRange);
    for (std::size_t d = 0; d + 1 < bounds.size(); ++d)
        if (bounds[d].lower != m_bounds[d].lower || bounds[d].count != m_bounds[d].count)
            throw BasicError(BasicError::SubscriptOutOfRange);
    if (bounds.empty()) return;
    // Only the last dimension changes: copy each run of the last dimension.
    VariantArray fresh(bounds, turn);
    std::size_t oldLast = std::size_t(m_bounds.back().count);
    std::size_t newLast = std::size_t(bounds.back().count < 0 ? 0 : bounds.back().count);
    std::size_t runs = oldLast ? m_data.size() / oldLast : 0;
    std::size_t keep = std::min(oldLast, newLast);
    for (std::size_t r = 0; r < runs; ++r)
        for (std::size_t c = 0; c < keep; ++c)
            fresh.m_data[r * newLast + c] = std::move(m_data[r * oldLast + c]);
    *this = std::move(fresh);
}

std::shared_ptr<VariantArray> VariantArray::clone() const
{
    return std::make_shared<VariantArray>(*this);
}

} // namespace com
