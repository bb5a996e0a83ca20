// TBits: a growing array of bits. Writing past the end grows it; reading or writing at a
// negative index throws EBitsError("Bits index out of range").
#pragma once

#include "classes/TObject.h"

#include <cstdint>
#include <vector>

namespace classes {

class TBits : public TObject {
public:
    CLASSES_OBJECT(TBits)

    int size() const { return m_size; }
    // Shrinking drops the bits beyond the new size; growing adds clear bits.
    void setSize(int size);
    bool bit(int index) const;
    void setBit(int index, bool value);
    // The index of the first clear bit (size() when every bit is set).
    int openBit() const;

private:
    void check(int index) const;

    std::vector<uint64_t> m_words;
    int m_size = 0;
};

}  // namespace classes
