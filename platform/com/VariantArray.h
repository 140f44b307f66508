#pragma once

#include "platform/com/Variant.h"

#include <functional>
#include <vector>

namespace com {

// A SAFEARRAY of Variants with any number of dimensions, each with its own lower bound.
// Elements are stored with the last index varying fastest.
class VariantArray : public VariantBox
{
public:
    struct Bound
    {
        int lower = 0;
        int count = 0;
    };

    VariantArray() = default;
    // `turn`, when given, is called after each block of elements is made, so that a caller can
    // stop the making of a huge array (a script's Cancel) by throwing from it.
    explicit VariantArray(std::vector<Bound> bounds, const std::function<void()> &turn = {});
    // A one-dimensional array lower..upper (upper = lower - 1 for no elements).
    static std::shared_ptr<VariantArray> vector(int lower, int upper);
    // A two-dimensional array indexed (1..rows, 1..columns), as a range's Value.
    static std::shared_ptr<VariantArray> grid(int rows, int columns);

    int dimensions() const { return int(m_bounds.size()); }
    // Bounds of a 1-based dimension; raises 9 when the dimension does not exist.
    int lbound(int dimension = 1) const;
    int ubound(int dimension = 1) const;
    std::size_t size() const { return m_data.size(); }

    // Element access by indexes in the array's own bounds; raises 9 when out of range.
    Variant &at(int i);
    Variant &at(int i, int j);
    Variant &at(const std::vector<int> &indexes);
    const Variant &at(int i) const { return const_cast<VariantArray *>(this)->at(i); }
    const Variant &at(int i, int j) const { return const_cast<VariantArray *>(this)->at(i, j); }
    // Elements in storage order.
    Variant &flat(std::size_t k) { return m_data[k]; }
    const Variant &flat(std::size_t k) const { return m_data[k]; }

    // ReDim: new bounds; with preserve only the last dimension may change and elements keep
    // their places.
    void redim(std::vector<Bound> bounds, bool preserve, const std::function<void()> &turn = {});
    std::shared_ptr<VariantArray> clone() const;

    // A fixed-size array (declared with bounds) cannot be re-dimensioned (error 10).
    bool isFixed() const { return m_fixed; }
    void setFixed(bool fixed) { m_fixed = fixed; }

private:
    std::vector<Bound> m_bounds;
    std::vector<Variant> m_data;
    bool m_fixed = false;
};

} // namespace com
