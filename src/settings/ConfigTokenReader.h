#pragma once

#include <QByteArray>

namespace config_text {

// The longest token the configuration gives back whole, in bytes of the local 8-bit code page.
// It is the one limit of a folder text: the writer never stores a longer one (it stores it
// empty), and the reader cuts only a token that the viewer did not write. The whole value is
// at most 512 bytes; 64 are left for the settings record and the separators, so one folder text
// of this length still fits beside the others at their usual length.
inline constexpr int kMaxTokenBytes = 448;

} // namespace config_text

// Reads the "?"-separated tokens of the viewer configuration text. A token also ends at "*"
// (kept from the format's reader: stored texts rely on it) and the text ends at its first NUL.
class ConfigTokenReader
{
public:
    static constexpr int kMaxTokenLength = config_text::kMaxTokenBytes;

    explicit ConfigTokenReader(const QByteArray& text);

    // The next token, without its terminator. At the end of the text it returns false and
    // leaves token empty. A longer token is cut to kMaxTokenLength bytes (lastTokenCut() then
    // says so) and the rest of it is skipped up to its terminator, so the tokens after it stay
    // where the writer put them.
    bool next(QByteArray& token);
    QByteArray next();
    // Whether the last token was longer than kMaxTokenLength. Such a token can only come from a
    // value the viewer did not write; a text read from it would name something else, and may
    // end inside a character, so texts are dropped rather than used cut.
    bool lastTokenCut() const { return m_lastCut; }

    bool atEnd() const { return m_position >= m_text.size(); }

private:
    QByteArray m_text;
    qsizetype m_position = 0;
    bool m_lastCut = false;
};

namespace config_text {

// True when the reader would give the text back whole and in its place: no terminator ("?",
// "*" or NUL) inside it, and no more than kMaxTokenBytes bytes.
bool readsBackWhole(const QByteArray& text);

// Decimal text to integer as the classic conversion does it (leading blanks, a sign, digits up
// to the first other character; no digits give 0), saturated to the 32-bit range instead of
// overflowing.
int toInt(const QByteArray& token);

} // namespace config_text
