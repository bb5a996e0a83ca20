// TBits and its metadata.
#include "classes/TBits.h"

#include "classes/ClassBuilder.h"
#include "classes/Errors.h"

namespace classes {

const ClassInfo& TBits::staticClass() {
    static const auto info =
        ClassBuilder<TBits>("TBits", TObject::staticClass())
            .publicProperty("property Bits[Index: Integer]: Boolean; default;", &TBits::bit, &TBits::setBit)
            .publicProperty("property Size: Integer;", &TBits::size, &TBits::setSize)
            .publicMethod("function OpenBit: Integer;", &TBits::openBit)
            .build();
    return *info;
}

void TBits::check(int index) const {
    if (index < 0 || index == INT32_MAX) throw EBitsError(msg::kBitsIndexError);
}

void TBits::setSize(int size) {
    check(size);
    m_words.resize((static_cast<size_t>(size) + 63) / 64, 0);
    if (size % 64 && !m_words.empty()) m_words.back() &= (uint64_t(1) << (size % 64)) - 1;
    m_size = size;
}

bool TBits::bit(int index) const {
    check(index);
    if (index >= m_size) throw EBitsError(msg::kBitsIndexError);
    return (m_words[static_cast<size_t>(index) / 64] >> (index % 64)) & 1;
}

void TBits::setBit(int index, bool value) {
    check(index);
    if (index >= m_size) setSize(index + 1);
    uint64_t mask = uint64_t(1) << (index % 64);
    if (value)
        m_words[static_cast<size_t>(index) / 64] |= mask;
    else
        m_words[static_cast<size_t>(index) / 64] &= ~mask;
}

int TBits::openBit() const {
    for (size_t w = 0; w < m_words.size(); ++w) {
        if (m_words[w] == ~uint64_t(0)) continue;
        int i = static_cast<int>(w * 64) + __builtin_ctzll(~m_words[w]);
        return i < m_size ? i : m_size;
    }
    return m_size;
}

}  // namespace classes
