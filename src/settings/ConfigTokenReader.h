#pragma once

#include <QByteArray>

// Reads the "?"-separated tokens of the viewer configuration text. A token also ends at "*"
// (kept from the format's reader: stored texts rely on it) and the text ends at its first NUL.
class ConfigTokenReader
{
public:
    // The reader copied each token into a 260-byte buffer; a token never yields more than this
    // many characters.
    static constexpr int kMaxTokenLength = 259;

    explicit ConfigTokenReader(const QByteArray& text);

    // The next token, without its terminator. At the end of the text it returns false and
    // leaves token empty. A longer token is cut to kMaxTokenLength characters and the rest of it
    // is skipped up to its terminator, so the tokens after it stay where the writer put them.
    bool next(QByteArray& token);
    QByteArray next();

    bool atEnd() const { return m_position >= m_text.size(); }

private:
    QByteArray m_text;
    qsizetype m_position = 0;
};

namespace config_text {

// Decimal text to integer as the classic conversion does it (leading blanks, a sign, digits up
// to the first other character; no digits give 0), saturated to the 32-bit range instead of
// overflowing.
int toInt(const QByteArray& token);

} // namespace config_text
