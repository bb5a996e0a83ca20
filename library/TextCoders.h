// The seven text coders behind EncodeStr and DecodeStr, chosen by type number (ctDefault 0
// to ctXX 6), and the HTML escaper. Texts are byte strings in the ANSI code page. Coders
// never fail: malformed input decodes by fixed rules. The three-to-four coders (Base64, UU,
// XX) serve text, not binary data: a decoded group ends at its first zero byte.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace library {

enum CoderType : int32_t { ctDefault, ctHex, ctPrintable, ctLatin, ctBase64, ctUUE, ctXX };

// A coder: its type number, alphabet (empty for the identity family), reverse table (byte to
// alphabet index, 255 where the byte is not in the alphabet) and string operations.
class TCustomCoder {
public:
    virtual ~TCustomCoder() = default;
    int32_t coderType() const { return m_type; }
    const std::string& alphabet() const { return m_alphabet; }
    // The alphabet character for an index (0-based; the identity family has no alphabet and
    // gives the byte itself) and the index for a character.
    char charFor(uint8_t index) const {
        return m_alphabet.empty() ? static_cast<char>(index) : m_alphabet[index % m_alphabet.size()];
    }
    uint8_t indexOf(char c) const { return m_reverse[static_cast<unsigned char>(c)]; }

    virtual std::string encode(std::string_view decoded) const = 0;
    virtual std::string decode(std::string_view encoded) const = 0;

protected:
    TCustomCoder(int32_t type, std::string alphabet);
    std::array<uint8_t, 256> m_reverse{};

private:
    int32_t m_type;
    std::string m_alphabet;
};

// Identity; its reverse table maps every byte to itself.
class TDefaultCoder : public TCustomCoder {
public:
    TDefaultCoder() : TDefaultCoder(ctDefault) {}
    std::string encode(std::string_view decoded) const override { return std::string(decoded); }
    std::string decode(std::string_view encoded) const override { return std::string(encoded); }

protected:
    explicit TDefaultCoder(int32_t type);
};

// Lines of 16 bytes as upper-case hexadecimal pairs, each line ending in CR LF.
class ThexCoder : public TDefaultCoder {
public:
    ThexCoder() : TDefaultCoder(ctHex) {}
    std::string encode(std::string_view decoded) const override;
    std::string decode(std::string_view encoded) const override;
};

// Bytes 33..60 and 62..162 as they are, every other byte as "=" and two hexadecimal digits.
class TQuotedPrintableCoder : public TDefaultCoder {
public:
    TQuotedPrintableCoder() : TDefaultCoder(ctPrintable) {}
    std::string encode(std::string_view decoded) const override;
    std::string decode(std::string_view encoded) const override;
};

// HTML named character references for '"', '&', '<', '>', the apostrophe and 160..255.
class TLatinCoder : public TDefaultCoder {
public:
    TLatinCoder() : TDefaultCoder(ctLatin) {}
    std::string encode(std::string_view decoded) const override;
    std::string decode(std::string_view encoded) const override;
};

// Three bytes to four alphabet characters, padded, without line breaks.
class TBase64Coder : public TCustomCoder {
public:
    TBase64Coder();
    char pad() const { return m_pad; }
    std::string encode(std::string_view decoded) const override;
    std::string decode(std::string_view encoded) const override;

protected:
    TBase64Coder(int32_t type, std::string alphabet, char pad);

private:
    char m_pad;
};

class TUUeCoder : public TBase64Coder {
public:
    TUUeCoder();
};

class TXXCoder : public TBase64Coder {
public:
    TXXCoder();
};

// Owns the coder of one type; a type outside 0..6 selects the identity coder.
class TMainCoder {
public:
    explicit TMainCoder(int32_t type);
    ~TMainCoder();
    const TCustomCoder& coder() const { return *m_coder; }
    std::string encode(std::string_view text) const { return m_coder->encode(text); }
    std::string decode(std::string_view text) const { return m_coder->decode(text); }

private:
    std::unique_ptr<TCustomCoder> m_coder;
};

std::string EncodeStr(int32_t type, std::string_view text);
std::string DecodeStr(int32_t type, std::string_view text);

// Replaces each character of the HTML escape table ("<" → "&lt;", " " → "&nbsp;", the Latin-1
// letters, ...) by its reference; other characters are copied.
std::string StringToHTML(std::string_view text);

}  // namespace library
