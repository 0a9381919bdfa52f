#include "settings/ConfigTokenReader.h"

#include <algorithm>
#include <limits>

namespace {

bool endsToken(char c)
{
    return c == '?' || c == '*' || c == '\0';
}

} // namespace

ConfigTokenReader::ConfigTokenReader(const QByteArray& text)
    : m_text(text)
{
    const qsizetype nul = m_text.indexOf('\0');
    if (nul >= 0)
        m_text.truncate(nul);
}

bool ConfigTokenReader::next(QByteArray& token)
{
    token.clear();
    m_lastCut = false;
    if (atEnd())
        return false;
    qsizetype end = m_position;
    while (end < m_text.size() && !endsToken(m_text.at(end)))
        ++end;
    m_lastCut = end - m_position > kMaxTokenLength;
    token = m_text.mid(m_position, std::min<qsizetype>(end - m_position, kMaxTokenLength));
    m_position = end < m_text.size() ? end + 1 : end;
    return true;
}

QByteArray ConfigTokenReader::next()
{
    QByteArray token;
    next(token);
    return token;
}

namespace config_text {

bool readsBackWhole(const QByteArray& text)
{
    return text.size() <= kMaxTokenBytes && std::none_of(text.begin(), text.end(), endsToken);
}

int toInt(const QByteArray& token)
{
    qsizetype i = 0;
    while (i < token.size() && (token[i] == ' ' || (token[i] >= '\t' && token[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        negative = token[i++] == '-';
    long long value = 0;
    constexpr long long limit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i)
        value = std::min(value * 10 + (token[i] - '0'), limit);
    if (negative)
        return static_cast<int>(-value);
    return static_cast<int>(std::min<long long>(value, std::numeric_limits<int>::max()));
}

} // namespace config_text
