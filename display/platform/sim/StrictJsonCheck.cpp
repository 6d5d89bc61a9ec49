#include "display/platform/sim/StrictJsonCheck.h"

#include <QSet>

#include <cstring>

namespace {
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

bool StrictJsonCheck::check(const QByteArray& text, int& offset, QString& error)
{
    StrictJsonCheck checker(text);
    checker.skipWhiteSpace();
    bool ok = checker.value(0);
    if (ok) {
        checker.skipWhiteSpace();
        if (!checker.atEnd())
            ok = checker.fail(QStringLiteral("unexpected text after the JSON document"));
    }
    if (!ok) {
        offset = checker.m_errorOffset;
        error = checker.m_error;
    }
    return ok;
}

bool StrictJsonCheck::fail(const QString& error)
{
    m_errorOffset = m_pos;
    m_error = error;
    return false;
}

void StrictJsonCheck::skipWhiteSpace()
{
    while (!atEnd() && std::strchr(" \t\r\n", m_text[m_pos]) && m_text[m_pos] != '\0')
        ++m_pos;
}

bool StrictJsonCheck::value(int depth)
{
    if (depth >= MaxDepth)
        return fail(QStringLiteral("nesting deeper than %1 levels").arg(MaxDepth));
    switch (peek()) {
    case '{':
        return object(depth + 1);
    case '[':
        return array(depth + 1);
    case '"':
        return string(nullptr);
    case 't':
        return literal("true");
    case 'f':
        return literal("false");
    case 'n':
        return literal("null");
    default:
        if (peek() == '-' || isDigit(peek()))
            return number();
        return fail(atEnd() ? QStringLiteral("unexpected end of the text")
                            : QStringLiteral("a value was expected"));
    }
}

bool StrictJsonCheck::object(int depth)
{
    ++m_pos; // '{'
    QSet<QString> keys;
    skipWhiteSpace();
    if (peek() == '}') {
        ++m_pos;
        return true;
    }
    for (;;) {
        skipWhiteSpace();
        if (peek() != '"')
            return fail(atEnd() ? QStringLiteral("unterminated object")
                                : QStringLiteral("a key in double quotes was expected"));
        const int keyOffset = m_pos;
        QString key;
        if (!string(&key))
            return false;
        if (keys.contains(key)) {
            m_pos = keyOffset;
            return fail(QStringLiteral("key \"%1\" appears twice in one object").arg(key));
        }
        keys.insert(key);
        skipWhiteSpace();
        if (peek() != ':')
            return fail(QStringLiteral("':' was expected after a key"));
        ++m_pos;
        skipWhiteSpace();
        if (!value(depth))
            return false;
        skipWhiteSpace();
        if (peek() == ',') {
            ++m_pos;
            continue;
        }
        if (peek() == '}') {
            ++m_pos;
            return true;
        }
        return fail(atEnd() ? QStringLiteral("unterminated object")
                            : QStringLiteral("',' or '}' was expected"));
    }
}

bool StrictJsonCheck::array(int depth)
{
    ++m_pos; // '['
    skipWhiteSpace();
    if (peek() == ']') {
        ++m_pos;
        return true;
    }
    for (;;) {
        skipWhiteSpace();
        if (!value(depth))
            return false;
        skipWhiteSpace();
        if (peek() == ',') {
            ++m_pos;
            continue;
        }
        if (peek() == ']') {
            ++m_pos;
            return true;
        }
        return fail(atEnd() ? QStringLiteral("unterminated array")
                            : QStringLiteral("',' or ']' was expected"));
    }
}

bool StrictJsonCheck::literal(const char* word)
{
    const int length = int(std::strlen(word));
    if (m_text.mid(m_pos, length) != QByteArray(word))
        return fail(QStringLiteral("a value was expected"));
    m_pos += length;
    return true;
}

bool StrictJsonCheck::number()
{
    if (peek() == '-')
        ++m_pos;
    if (peek() == '0') {
        ++m_pos;
    } else if (isDigit(peek())) {
        while (isDigit(peek()))
            ++m_pos;
    } else {
        return fail(QStringLiteral("a digit was expected"));
    }
    if (peek() == '.') {
        ++m_pos;
        if (!isDigit(peek()))
            return fail(QStringLiteral("a digit was expected after '.'"));
        while (isDigit(peek()))
            ++m_pos;
    }
    if (peek() == 'e' || peek() == 'E') {
        ++m_pos;
        if (peek() == '+' || peek() == '-')
            ++m_pos;
        if (!isDigit(peek()))
            return fail(QStringLiteral("a digit was expected in the exponent"));
        while (isDigit(peek()))
            ++m_pos;
    }
    return true;
}

bool StrictJsonCheck::string(QString* decoded)
{
    ++m_pos; // opening quote
    for (;;) {
        if (atEnd())
            return fail(QStringLiteral("unterminated string"));
        const unsigned char c = static_cast<unsigned char>(m_text[m_pos]);
        if (c == '"') {
            ++m_pos;
            return true;
        }
        if (c < 0x20)
            return fail(QStringLiteral("control character in a string"));
        if (c == '\\') {
            ++m_pos;
            const char escape = peek();
            static const char plain[] = "\"\\/bfnrt";
            static const char meaning[] = "\"\\/\b\f\n\r\t";
            if (escape == 'u') {
                ++m_pos;
                if (!codePoint(decoded))
                    return false;
                continue;
            }
            const char* found = escape ? std::strchr(plain, escape) : nullptr;
            if (!found)
                return fail(QStringLiteral("invalid escape in a string"));
            if (decoded)
                *decoded += QLatin1Char(meaning[found - plain]);
            ++m_pos;
            continue;
        }
        // One UTF-8 sequence, checked strictly: shortest form, no surrogates.
        int length = 1;
        unsigned minimum = 0;
        unsigned point = c;
        if (c >= 0xF0 && c <= 0xF4) {
            length = 4, minimum = 0x10000, point = c & 0x07;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3, minimum = 0x800, point = c & 0x0F;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2, minimum = 0x80, point = c & 0x1F;
        } else if (c >= 0x80) {
            return fail(QStringLiteral("invalid UTF-8 in a string"));
        }
        for (int i = 1; i < length; ++i) {
            const int at = m_pos + i;
            if (at >= m_text.size() || (static_cast<unsigned char>(m_text[at]) & 0xC0) != 0x80)
                return fail(QStringLiteral("invalid UTF-8 in a string"));
            point = (point << 6) | (static_cast<unsigned char>(m_text[at]) & 0x3F);
        }
        if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return fail(QStringLiteral("invalid UTF-8 in a string"));
        if (decoded) {
            if (point >= 0x10000) {
                *decoded += QChar(QChar::highSurrogate(point));
                *decoded += QChar(QChar::lowSurrogate(point));
            } else {
                *decoded += QChar(ushort(point));
            }
        }
        m_pos += length;
    }
}

// The four hex digits after "\u", and a second escape completing a surrogate
// pair; a lone surrogate is rejected.
bool StrictJsonCheck::codePoint(QString* decoded)
{
    auto readUnit = [this](unsigned& unit) {
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexValue(peek());
            if (digit < 0)
                return fail(QStringLiteral("four hex digits were expected after \\u"));
            unit = (unit << 4) | unsigned(digit);
            ++m_pos;
        }
        return true;
    };
    unsigned unit = 0;
    if (!readUnit(unit))
        return false;
    if (unit >= 0xDC00 && unit <= 0xDFFF)
        return fail(QStringLiteral("lone surrogate in a string"));
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (peek() != '\\' || m_pos + 1 >= m_text.size() || m_text[m_pos + 1] != 'u')
            return fail(QStringLiteral("lone surrogate in a string"));
        m_pos += 2;
        unsigned low = 0;
        if (!readUnit(low))
            return false;
        if (low < 0xDC00 || low > 0xDFFF)
            return fail(QStringLiteral("lone surrogate in a string"));
        if (decoded) {
            *decoded += QChar(ushort(unit));
            *decoded += QChar(ushort(low));
        }
        return true;
    }
    if (decoded)
        *decoded += QChar(ushort(unit));
    return true;
}
